#!/usr/bin/env bash
# Runs the settings program on a virtual X server with its own session and accessibility buses, and
# lets a real AT-SPI client work it. Skips (exit 77) only when the buses cannot be started.
#
# usage: check_atspi.sh <program> <port-library-folder> <client.py> [wayland]
#   wayland: natively on weston (headless; --debug and pixman for its screenshots), skipped when
#   weston cannot start; then, with no QT_QPA_PLATFORM in that session, it must choose X11.
set -u
program=$1
libraries=$2
client=$3
platform=${4:-xcb}
skip=77

work=$(mktemp -d)
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null
    done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
if [ ! -s "$work/display" ]; then
    echo "FAIL: the virtual X server did not start"
    cat "$work/xvfb.log"
    exit 1
fi
export DISPLAY=":$(head -n1 "$work/display")"

launcher=/usr/libexec/at-spi-bus-launcher
if ! command -v dbus-launch >/dev/null || [ ! -x "$launcher" ]; then
    echo "SKIP: dbus-launch or $launcher is not installed"
    exit $skip
fi
if ! bus=$(dbus-launch --sh-syntax); then
    echo "SKIP: the session bus does not start"
    exit $skip
fi
eval "$bus"
pids+=("$DBUS_SESSION_BUS_PID")
"$launcher" --launch-immediately 2>"$work/launcher.log" &
pids+=($!)
ready=
for _ in $(seq 100); do
    if dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
        >/dev/null 2>&1; then
        ready=1
        break
    fi
    sleep 0.1
done
if [ -z "$ready" ]; then
    echo "SKIP: the accessibility bus does not start"
    cat "$work/launcher.log"
    exit $skip
fi

if [ "$platform" = wayland ]; then
    export XDG_RUNTIME_DIR=$work/runtime WAYLAND_DISPLAY=tr4410-wayland
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    weston --backend=headless-backend.so --use-pixman --width=1280 --height=1024 --idle-time=0 \
        --socket="$WAYLAND_DISPLAY" --debug >"$work/weston.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] || sleep 0.1; done
    [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] || { cat "$work/weston.log"; echo "SKIP: no weston"; exit $skip; }
fi

QT_QPA_PLATFORM=$platform QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 LD_LIBRARY_PATH="$libraries" \
    "$program" >"$work/program.log" 2>&1 &
pids+=($!)

# Debian's pyatspi is for the system's Python, whatever comes first on the path.
timeout 120 /usr/bin/python3 "$client"
status=$?
kill -0 "${pids[-1]}" 2>/dev/null || status=1 # the program must still be running
if [ $status -ne 0 ]; then
    echo "--- program output"
    cat "$work/program.log"
    exit $status
fi
[ "$platform" = wayland ] || exit 0

# No QT_QPA_PLATFORM in a Wayland session with X11 beside it: the program's window is an X11 one.
env -u QT_QPA_PLATFORM XDG_SESSION_TYPE=wayland LD_LIBRARY_PATH="$libraries" "$program" &
pids+=($!)
for _ in $(seq 150); do xwininfo -root -tree | grep -q '"Setup": ("tr4410-settings"' && exit 0 || sleep 0.1; done
echo "FAIL: with DISPLAY and WAYLAND_DISPLAY set, the program showed no X11 window"
exit 1
