# Sourced by the scripts that measure the game window: xvfb_start gives the
# script an X server of its own (Xvfb, with openbox as window manager when
# installed) and points DISPLAY and Qt's xcb platform at it; xvfb_stop,
# for the script's exit trap, ends both.

xvfb_pids=()

xvfb_start() {
    command -v Xvfb >/dev/null || { echo "Xvfb is not installed" >&2; exit 2; }
    # Xvfb picks a free display and tells its number through a pipe.
    exec 3< <(Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null)
    xvfb_pids+=($!)
    local display
    read -r -t 10 display <&3 || { echo "Xvfb did not start" >&2; exit 1; }
    export DISPLAY=:$display QT_QPA_PLATFORM=xcb
    if command -v openbox >/dev/null; then
        openbox >/dev/null 2>&1 &
        xvfb_pids+=($!)
        sleep 0.5
    fi
}

xvfb_stop() {
    for pid in "${xvfb_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
}

# Runs the calling script again at a real-time priority where that is
# allowed (as root), with the X server and the programs it starts: on a
# machine busy with other work, the figures then hold from run to run
# instead of following the other work's load. VELMORA_BENCH_NORMAL=1 keeps
# the normal priority. Call as: xvfb_priority "$@"
xvfb_priority() {
    [[ -n ${VELMORA_BENCH_NORMAL:-} || -n ${VELMORA_BENCH_REALTIME:-} ]] && return 0
    if command -v chrt >/dev/null && chrt -f 10 true 2>/dev/null; then
        exec env VELMORA_BENCH_REALTIME=1 chrt -f 10 "$0" "$@"
    fi
}
