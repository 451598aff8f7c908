#!/usr/bin/env bash
# under-wm.sh PROGRAM [ARGS...]: runs PROGRAM as on a desktop, on an X server
# of its own (Xvfb) managed by a window manager (openbox), through Qt's xcb
# platform. Activation and focus behave differently there than without a
# window manager or offscreen, so the tests of who takes the keyboard run
# here. Exits with PROGRAM's status.
set -u
dir=$(mktemp -d)
trap 'kill $wm $xvfb 2>/dev/null; wait 2>/dev/null; rm -rf "$dir"' EXIT
# -displayfd: the server picks a free display and writes its number.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
xvfb=$!
for _ in $(seq 200); do [ -s "$dir/display" ] && break; sleep 0.05; done
[ -s "$dir/display" ] || { echo "Xvfb did not start:" >&2; cat "$dir/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$dir/display")"
openbox --sm-disable --startup "touch $dir/wm-ready" 2>"$dir/wm.log" &
wm=$!
for _ in $(seq 200); do [ -e "$dir/wm-ready" ] && break; sleep 0.05; done
[ -e "$dir/wm-ready" ] || { echo "openbox did not start:" >&2; cat "$dir/wm.log" >&2; exit 1; }
QT_QPA_PLATFORM=xcb "$@"
