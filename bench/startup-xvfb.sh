#!/usr/bin/env bash
# Start-up of the game window against a bare Qt window with one label, both
# under one Xvfb (xcb platform, openbox as window manager when installed):
# the time from exec to the first frame flushed to the display, median of
# RUNS runs each, taken in turns so that the load of the machine falls on
# both alike. Prints every run, both medians and their ratios: of the wall
# time, and of the processor time the process had used by then (all its
# threads, the loading of its libraries included), which other programs'
# load on the machine changes far less.
#
#   bench/startup-xvfb.sh [BUILD_DIR] [RUNS]     (defaults: build, 5)
#
# Each program writes the moment of its first frame and its processor time
# to the file named by VELMORA_FIRST_FRAME_FILE (src/app/firstframenote.h).
# The game starts as a solo game, so it gets a port of the system's
# choosing, a settings folder and a temporary folder (its single-instance
# guard lives there) of its own on every run. Run as root, the script runs
# at a real-time priority (see xvfb_priority in bench/xvfb.sh).
set -euo pipefail

build=${1:-build}
runs=${2:-5}
game=$build/velmora
bare=$build/bench/bare_window
for program in "$game" "$bare" ; do
    [[ -x $program ]] || { echo "missing $program (ninja -C $build velmora bare_window)" >&2; exit 2; }
done
source "$(dirname "$0")/xvfb.sh"
xvfb_priority "$@"

work=$(mktemp -d)
trap 'xvfb_stop; rm -rf "$work"' EXIT
xvfb_start

# One start of PROGRAM; prints the milliseconds from exec to its first frame
# and the processor milliseconds used by then.
first_frame_ms() {
    local program=$1 run
    run=$(mktemp -d "$work/run.XXXXXX")
    mkdir -p "$run/home" "$run/tmp"
    (
        echo "$EPOCHREALTIME" >"$run/start"
        exec env VELMORA_FIRST_FRAME_FILE="$run/frame" VELMORA_PORT=0 \
            VELMORA_HOME="$run/home" TMPDIR="$run/tmp" "$program" >/dev/null 2>&1
    ) &
    local pid=$!
    for _ in $(seq 1000); do
        [[ -s $run/frame ]] && break
        sleep 0.01
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    [[ -s $run/frame ]] || { echo "no first frame from $program" >&2; exit 1; }
    local start frame cpu
    start=$(<"$run/start")
    read -r frame cpu <"$run/frame"
    # EPOCHREALTIME is seconds with six decimals; the note is nanoseconds.
    awk -v w=$(( frame - ${start/./} * 1000 )) -v c="$cpu" \
        'BEGIN { printf "%.1f %.1f\n", w / 1e6, c / 1e6 }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { m = (NR + 1) / 2; print (NR % 2) ? v[m] : (v[m - 0.5] + v[m + 0.5]) / 2 }'; }

# A first start of each warms the font and shader caches of the system.
first_frame_ms "$bare" >/dev/null
first_frame_ms "$game" >/dev/null

bare_wall=() bare_cpu=() game_wall=() game_cpu=()
for i in $(seq "$runs"); do
    read -r bw bc < <(first_frame_ms "$bare")
    read -r gw gc < <(first_frame_ms "$game")
    bare_wall+=("$bw") bare_cpu+=("$bc") game_wall+=("$gw") game_cpu+=("$gc")
    printf 'run %d: bare %6.1f ms (processor %5.1f)   game %6.1f ms (processor %5.1f)\n' \
        "$i" "$bw" "$bc" "$gw" "$gc"
done
report() {
    local what=$1 b g
    b=$(printf '%s\n' "${@:2:runs}" | median)
    g=$(printf '%s\n' "${@:2+runs}" | median)
    printf 'median %-9s bare %6.1f ms, game %6.1f ms, ratio %.2f\n' "$what:" "$b" "$g" \
        "$(awk -v g="$g" -v b="$b" 'BEGIN { print g / b }')"
}
report wall "${bare_wall[@]}" "${game_wall[@]}"
report processor "${bare_cpu[@]}" "${game_cpu[@]}"
