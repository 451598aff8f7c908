#!/bin/bash
# Measures how a velmora-server table holds up on the internet, with the
# program's default timers: a player whose link dies on his turn, a
# connection that never logs in, a script that joins and leaves without
# end, and a player who lets his turn run out. Needs root: the remote
# players sit in a network namespace of their own behind a veth pair, the
# host and "Alice" (over the host's loopback) in another; nothing is added
# to the namespace it starts in. Takes about three minutes.
#
#   bench/internet-table.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
server=$(realpath "$build/velmora-server")
[ -x "$server" ] || { echo "no $server: build it first" >&2; exit 1; }
[ "$(id -u)" = 0 ] || { echo "needs root (network namespaces)" >&2; exit 1; }
export LC_ALL=C

hns=velmora-bh$$ pns=velmora-bp$$ hend=vbh$$ pend=vbp$$
haddr=10.231.78.1 port=7772
work=$(mktemp -d)
server_pid=
cleanup() {
    set +e
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
    jobs -p | xargs -r kill 2>/dev/null
    ip netns del "$hns" 2>/dev/null
    ip netns del "$pns" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

ip netns add "$hns"
ip netns add "$pns"
ip -n "$hns" link add "$hend" type veth peer name "$pend" netns "$pns"
ip -n "$hns" addr add $haddr/24 dev "$hend"
ip -n "$pns" addr add 10.231.78.2/24 dev "$pend"
for ns in "$hns" "$pns"; do ip -n "$ns" link set lo up; done
ip -n "$hns" link set "$hend" up
ip -n "$pns" link set "$pend" up

seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", b - a }'; }

# A fresh server for each measurement, so that one's arrivals do not count
# against the next.
start_server() {
    if [ -n "$server_pid" ]; then
        kill "$server_pid"
        wait "$server_pid" 2>/dev/null || true
    fi
    : >"$work/server.log"
    ip netns exec "$hns" "$server" --port $port --seed 7 "$@" 2>"$work/server.log" &
    server_pid=$!
    wait_for "$work/server.log" "listening" 5 || { echo "server did not start" >&2; exit 1; }
}

# A player as a script: connects from namespace NS to ADDR, logs in as NAME
# and writes each message it receives to LOG, one a line after the time it
# came. With TRIGGER and MESSAGE it sends MESSAGE once a message starting
# with TRIGGER has come.
player() { # NS ADDR NAME LOG [TRIGGER MESSAGE]
    ip netns exec "$1" bash -c '
        exec 3<>/dev/tcp/$1/$2 || exit 1
        ff=$(printf "\377")
        while IFS= read -r -d "$ff" m <&3; do
            echo "$(date +%s.%N) $m"
            case $m in
            CMD_sendlogininfo+*) printf "CMD_logininfo+%s+1.2.0+%s\377" "${m#*+}" "$3" >&3 ;;
            esac
            if [ -n "$4" ] && [[ $m == "$4"* ]]; then
                printf "%s\377" "$5" >&3
                set -- "$1" "$2" "$3" "" ""
            fi
        done
    ' player "$2" $port "$3" "${5:-}" "${6:-}" >"$4" &
}

wait_for() { # FILE PATTERN SECONDS
    local end=$(($(date +%s) + $3))
    until grep -qF -- "$2" "$1" 2>/dev/null; do
        [ "$(date +%s)" -ge $end ] && return 1
        sleep 0.05
    done
}
time_of() { grep -m1 -F -- "$2" "$1" | cut -d' ' -f1; }

# Alice deals and starts the game once Bob is in; Bob, seat 2, leads first
# and never plays.
seat_alice_and_bob() {
    player "$hns" 127.0.0.1 Alice "$work/alice.log" CMD_newplayerinfo+2+ \
        "CMD_startgame+Alice+100+16+0+"
    wait_for "$work/alice.log" "CMD_newplayerinfo+1+Alice" 5
    player "$pns" $haddr Bob "$work/bob.log"
    wait_for "$work/bob.log" "CMD_nextplayer+1+2+l+" 10
}
stop_players() {
    jobs -p | grep -vx "$server_pid" | xargs -r kill 2>/dev/null || true
    sleep 0.2
}

echo "== a player's link dies on his turn"
start_server
seat_alice_and_bob
cut=$(date +%s.%N)
ip -n "$pns" link set "$pend" down
wait_for "$work/server.log" "player 2 left" 120 || echo "   not departed within 120 s"
wait_for "$work/alice.log" "CMD_hiscard+2+" 10 || echo "   seat 2 not played"
left=$(date +%s.%N)
echo "   departed and his seat played after $(seconds "$cut" "$(time_of "$work/alice.log" CMD_hiscard+2+)") s (measured at $(seconds "$cut" "$left") s)"
grep -F "player 2 left" "$work/server.log" | sed 's/^/   server: /'
stop_players
ip -n "$pns" link set "$pend" up

echo "== a connection that never logs in"
start_server
ip netns exec "$pns" bash -c "exec 3<>/dev/tcp/$haddr/$port; s=\$(date +%s.%N); cat <&3 >/dev/null; echo \$s \$(date +%s.%N)" >"$work/silent.log"
read -r opened closed <"$work/silent.log"
echo "   closed after $(seconds "$opened" "$closed") s"

echo "== a script joins and leaves for a minute"
start_server
player "$hns" 127.0.0.1 Alice "$work/alice.log"
wait_for "$work/alice.log" "CMD_newplayerinfo+1+Alice" 5
ip netns exec "$pns" bash -c '
    end=$(($(date +%s) + 60)) tries=0 joins=0
    ff=$(printf "\377")
    while [ "$(date +%s)" -lt $end ]; do
        tries=$((tries + 1))
        exec 3<>/dev/tcp/$1/$2 || continue
        if IFS= read -r -d "$ff" m <&3 && [[ $m == CMD_sendlogininfo+* ]]; then
            printf "CMD_logininfo+%s+1.2.0+Flood\377" "${m#*+}" >&3
            joins=$((joins + 1))
        fi
        exec 3>&-
    done
    echo $tries $joins
' flood $haddr $port >"$work/flood.log"
sleep 0.5
read -r tries joins <"$work/flood.log"
echo "   $tries connections, $joins logged in;" \
     "$(grep -cE " CMD_(newplayerinfo|playerdisconnected)\+[2-9]\+" "$work/alice.log" || true)" \
     "arrivals and departures announced at the table in the minute"
stop_players

echo "== a player lets his turn run out (--turn-limit 30)"
start_server --turn-limit 30
seat_alice_and_bob
turn=$(time_of "$work/bob.log" "CMD_nextplayer+1+2+l+")
wait_for "$work/alice.log" "ran out of time" 60 || echo "   no move within 60 s"
wait_for "$work/alice.log" "CMD_hiscard+2+" 5 || true
echo "   the computer moved for him after $(seconds "$turn" "$(time_of "$work/alice.log" CMD_hiscard+2+)") s:"
grep -m1 -F "ran out of time" "$work/alice.log" | cut -d' ' -f2- | sed 's/^/   /'
stop_players
