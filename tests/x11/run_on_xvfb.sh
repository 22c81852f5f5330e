#!/bin/sh
# Runs a command on a private X server with a window manager, as the program meets them on a
# desktop: Xvfb with openbox. The command gets DISPLAY and QT_QPA_PLATFORM=xcb, and
# TR4410_WINDOW_MANAGER=openbox when the window manager runs. Exits 77 (skipped) when no X server
# can be started.
#   TR4410_LATE_WINDOW_MANAGER=S  start the window manager S seconds after the command instead, as
#                                 on a desktop whose window manager comes up (or back) late
set -u

if ! command -v Xvfb >/dev/null 2>&1; then
    echo "SKIP: Xvfb is not installed"
    exit 77
fi

work=$(mktemp -d)
xvfb=""
wm=""
cleanup() {
    [ -n "$wm" ] && kill "$wm" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# The server writes its display number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
tries=0
while [ ! -s "$work/display" ] && kill -0 "$xvfb" 2>/dev/null && [ $tries -lt 100 ]; do
    sleep 0.1
    tries=$((tries + 1))
done
if [ ! -s "$work/display" ]; then
    echo "SKIP: no X server could be started"
    cat "$work/xvfb.log"
    exit 77
fi
DISPLAY=":$(cat "$work/display")"
export DISPLAY
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

late=${TR4410_LATE_WINDOW_MANAGER:-}
start_wm() {
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    wm=$!
}

if ! command -v openbox >/dev/null 2>&1; then
    echo "openbox is not installed: running without a window manager"
elif [ -n "$late" ]; then
    export TR4410_WINDOW_MANAGER=openbox
    "$@" &
    command=$!
    sleep "$late"
    start_wm
    wait "$command"
    exit $?
else
    start_wm
    # The window manager is running once it names itself on the root window.
    tries=0
    while ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && [ $tries -lt 100 ]; do
        sleep 0.1
        tries=$((tries + 1))
    done
    export TR4410_WINDOW_MANAGER=openbox
fi

"$@"
