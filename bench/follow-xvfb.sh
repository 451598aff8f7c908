#!/usr/bin/env bash
# The game window's processor time per host message while it follows a whole
# game of four computer players (bench/follow_game.cpp), under Xvfb with the
# xcb platform and openbox as window manager when installed. Processor time
# rather than wall time: the machine's other load changes it little.
#
#   bench/follow-xvfb.sh [BUILD_DIR] [RUNS]      (defaults: build, 3)
#
# Each run: 8 rounds, computer players at 20 ms, 200 ms between rounds.
set -euo pipefail

build=${1:-build}
runs=${2:-3}
for program in "$build/velmora" "$build/velmora-server" "$build/bench/follow_game"; do
    [[ -x $program ]] || { echo "missing $program" >&2; exit 2; }
done
source "$(dirname "$0")/xvfb.sh"

trap xvfb_stop EXIT
xvfb_start

for i in $(seq "$runs"); do
    printf 'run %d: ' "$i"
    "$build/bench/follow_game" "$build/velmora" "$build/velmora-server" 8 20 200 "$i"
done
