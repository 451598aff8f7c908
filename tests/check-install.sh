#!/usr/bin/env bash
# check-install.sh BUILD_DIR SOURCE_DIR GAMES DATA UNITS MODULES: installs
# the build into a staging folder (DESTDIR) with the folders it was
# configured for (GAMES, DATA, UNITS, MODULES: the full paths of the
# programs, the shared data, the systemd units and the sound module,
# /usr/games and so on in the package), checks the tree, validates the menu
# entry, the software centre record, the manuals and the service unit, and
# starts the staged programs. The game itself is started on an X server
# of its own, once as a user who cannot write its folder (nobody) and once
# as root, each with a scratch HOME: both must keep their settings and tally
# under HOME/.config/Velmora and write nothing beside the program, and both
# must load the staged sound module when asked for a sound.
# Exits 77 (skipped) when not root or a tool is missing, after every check
# that could run has passed.
set -euo pipefail

if [ "${1:-}" = --game ]; then
    # Re-entered under support/under-wm.sh: DISPLAY is ours.
    games=$2 user=$3 home=$4 module=$5
    # window_titled TITLE TENTHS: the id of the window whose whole title is
    # the one word TITLE, waiting up to TENTHS tenths of a second for it;
    # empty if none shows.
    window_titled() {
        local id=
        for _ in $(seq "$2"); do
            id=$(wmctrl -l | awk -v t="$1" '$4 == t && NF == 4 { print $1 }')
            [ -n "$id" ] && break
            sleep 0.1
        done
        echo "$id"
    }
    before=$(ls -A "$games")
    runuser -u "$user" -- env -i HOME="$home" TMPDIR="$home" DISPLAY="$DISPLAY" \
        QT_QPA_PLATFORM=xcb VELMORA_PORT=0 PATH=/usr/bin:/bin "$games/velmora" \
        >"$home.log" 2>&1 &
    game=$!
    # The game's window by its title; the lobby download window that a solo
    # game opens has another.
    window=$(window_titled Velmora 300)
    if [ -z "$window" ]; then
        echo "FAIL: the game ($user) showed no window"
        cat "$home.log"
        kill "$game" 2>/dev/null
        exit 1
    fi
    # The sound module is loaded at the first sound, which a volume's sample
    # asks for: Options > Volume..., a step of the first slider down and up
    # (one of them moves it, at either end). The staged game must take the
    # module the install put beside it, not any other.
    # The keys go to the game window once the download window, which a solo
    # start shows after the first frame, has taken the keyboard; not sent to
    # a window, as Qt ignores keys marked as sent.
    for _ in $(seq 100); do
        wmctrl -l | grep -q " Download The Pelox8 Lobby$" && break
        sleep 0.1
    done
    xdotool windowactivate --sync "$window"
    xdotool key alt+o v
    volume=$(window_titled Volume 100)
    [ -n "$volume" ] && xdotool windowactivate --sync "$volume" && xdotool key Left Right
    pid=$(pgrep -P "$game" | head -n 1)
    loaded=
    for _ in $(seq 100); do
        grep -qF "$module" "/proc/$pid/maps" 2>/dev/null && loaded=yes && break
        sleep 0.1
    done
    if [ -z "$loaded" ] || grep -q "plays no sounds" "$home.log"; then
        echo "FAIL: the game ($user) did not load its sound module${volume:+ when asked}"
        cat "$home.log"
        kill "$game"
        exit 1
    fi
    [ -n "$volume" ] && xdotool windowactivate --sync "$volume" && xdotool key Escape
    # Moved, so that closing saves the window's place to the settings, and
    # closed as a player closes it, through the window manager (whichever
    # window has the keyboard).
    # The close waits until the window manager shows the move, and a moment
    # more for the game to hear of it: on a busy machine a close sent at once
    # overtook the move, and the game had no new place to keep.
    place() { wmctrl -lG | awk -v w="$window" '$1 == w { print $3, $4 }'; }
    old=$(place)
    wmctrl -i -r "$window" -e 0,40,60,-1,-1
    for _ in $(seq 100); do [ "$(place)" != "$old" ] && break; sleep 0.05; done
    sleep 0.3
    wmctrl -i -c "$window"
    for _ in $(seq 100); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$game" 2>/dev/null; then
        echo "FAIL: the game ($user) did not end when its window closed"
        kill "$game"
        exit 1
    fi
    wait "$game" || { echo "FAIL: the game ($user) ended with status $?"; cat "$home.log"; exit 1; }
    [ "$(ls -A "$games")" = "$before" ] ||
        { echo "FAIL: the game ($user) wrote beside the program: $(ls -A "$games")"; exit 1; }
    for file in velmoratally.tld pelolobby.ini; do
        [ -s "$home/.config/Velmora/$file" ] ||
            { echo "FAIL: the game ($user) kept no $file under HOME/.config/Velmora"; exit 1; }
    done
    exit 0
fi

build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
here=$(dirname "$(readlink -f "$0")")
failures=0 skipped=()
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
have() { command -v "$1" >/dev/null || { skipped+=("$1 missing"); return 1; }; }

# Under /tmp, so that nobody can reach the staged game.
stage=$(mktemp -d /tmp/velmora-stage.XXXXXX)
trap 'rm -rf "$stage"' EXIT
chmod 755 "$stage"
DESTDIR="$stage" cmake --install "$build" >/dev/null
games=$stage$3 data=$stage$4 units=$stage$5 modules=$stage$6
id=example.pelox8.velmora

for program in velmora velmora-server velmora-tally; do
    [ -x "$games/$program" ] || fail "no program $3/$program"
done
[ -s "$modules/velmora-sound.so" ] || fail "no sound module $6/velmora-sound.so"
for size in 16 24 32 48 64 128 256; do
    icon=$data/icons/hicolor/${size}x$size/apps/$id.png
    # The width and height of a PNG are big-endian words at bytes 16 and 20.
    read -r w h < <(od -An -tu4 --endian=big -j16 -N8 "$icon" 2>/dev/null) || true
    [ "${w:-}" = "$size" ] && [ "${h:-}" = "$size" ] || fail "icon $size: ${w:-none}x${h:-none}"
done
for file in "$data/applications/$id.desktop" "$data/metainfo/$id.metainfo.xml" \
    "$units/velmora-server@.service" "$data/doc/velmora/copyright"; do
    [ -s "$file" ] || fail "no ${file#"$stage"}"
done
grep -qx "Exec=$3/velmora" "$data/applications/$id.desktop" ||
    fail "the menu entry does not start $3/velmora"

if have desktop-file-validate; then
    desktop-file-validate "$data/applications/$id.desktop" || fail "desktop-file-validate"
fi
if have appstreamcli; then
    appstreamcli validate --no-net "$data/metainfo/$id.metainfo.xml" >"$stage/as.log" 2>&1 ||
        { cat "$stage/as.log"; fail "appstreamcli validate"; }
fi
for page in velmora velmora-server velmora-tally; do
    manual=$data/man/man6/$page.6.gz
    [ -s "$manual" ] || { fail "no manual $page(6)"; continue; }
    if have groff; then
        warnings=$(zcat "$manual" | groff -man -ww -z 2>&1)
        [ -z "$warnings" ] || fail "manual $page(6): $warnings"
    fi
done
if have systemd-analyze; then
    # verify looks for the programs the unit names on this machine, so a
    # copy points into the staging folder.
    mkdir "$stage/units"
    sed "s|$3/|$games/|" "$units/velmora-server@.service" >"$stage/units/velmora-server@.service"
    # It also opens the manual the unit names, when man is there to ask.
    manuals=yes
    have man || manuals=no
    MANPATH=$data/man systemd-analyze verify --man="$manuals" "$stage/units/velmora-server@.service" ||
        fail "systemd-analyze verify"
fi

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
help=$("$games/velmora-server" --help) || fail "velmora-server --help failed"
grep -q -- "--round-pause-ms" <<<"$help" || fail "velmora-server --help printed: $help"
[ "$("$games/velmora-server" --version)" = "velmora-server $version" ] || fail "velmora-server --version"
shown=$("$games/velmora-tally" show "$source/tests/data/lzh/small-tally.hzl") || fail "velmora-tally show"
grep -q "^Total Games: " <<<"$shown" || fail "velmora-tally show printed: $shown"

if [ "$(id -u)" -ne 0 ]; then
    skipped+=("the game as nobody needs root")
elif have Xvfb && have openbox && have wmctrl && have xdotool; then
    for user in nobody root; do
        home=$stage/home-$user
        mkdir "$home"
        chown "$user" "$home"
        "$here/support/under-wm.sh" "$0" --game "$games" "$user" "$home" \
            "$modules/velmora-sound.so" || fail "the game as $user"
    done
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures checks failed"
    exit 1
fi
if [ ${#skipped[@]} -gt 0 ]; then
    printf 'skipped: %s\n' "${skipped[@]}"
    exit 77
fi
