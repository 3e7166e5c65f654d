#!/usr/bin/env bash
# Measures the window's CPU use under Xvfb with the demo scenario: first with
# polling every 5 s and the radar's sweep turning, then with polling stopped
# (the Polling drop-down's "Stop" entry, clicked through XTest). Prints the
# share of one core the whole process used over each period.
#   scripts/radar-cpu.sh [BUILD_DIR] [SECONDS]
# Use an optimised build without sanitizers for figures worth comparing.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
seconds=${2:-30}
app=$build/src/app/airlume
[ -x "$app" ] || { echo "no $app: build it first" >&2; exit 1; }

display=":$((100 + RANDOM % 400))"
Xvfb "$display" -screen 0 1400x1000x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
app_pid=""
trap 'kill $app_pid $xvfb 2>/dev/null || true' EXIT
sleep 1
export DISPLAY=$display QT_QPA_PLATFORM=xcb
"$app" --source scenario:resources/scenarios/demo.json >/dev/null 2>&1 &
app_pid=$!
sleep 8 # start-up and the first ticks

# Clicks the left button at x y (screen coordinates) through XTest.
click() {
    python3 - "$1" "$2" <<'PY'
import ctypes, sys, time
x11 = ctypes.CDLL("libX11.so.6")
xtst = ctypes.CDLL("libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
d = ctypes.c_void_p(x11.XOpenDisplay(None))
xtst.XTestFakeMotionEvent(d, -1, int(sys.argv[1]), int(sys.argv[2]), 0)
x11.XFlush(d)
time.sleep(0.2)
for down in (1, 0):
    xtst.XTestFakeButtonEvent(d, 1, down, 0)
    x11.XFlush(d)
    time.sleep(0.1)
x11.XCloseDisplay(d)
PY
}

ticks() { awk '{print $14 + $15}' "/proc/$app_pid/stat"; }
measure() {
    local before after
    before=$(ticks)
    sleep "$seconds"
    after=$(ticks)
    awk -v t="$((after - before))" -v hz="$(getconf CLK_TCK)" -v s="$seconds" \
        'BEGIN { printf "%.2f%% of one core (%d ticks in %d s)\n", 100 * t / hz / s, t, s }'
}

echo "polling every 5 s, sweep turning: $(measure)"
# The window opens at the screen's top-left corner without a window manager;
# the Polling button and the drop-down's first entry ("Stop" while polling).
click "${POLLING_X:-339}" "${POLLING_Y:-25}"
sleep 1
click "${STOP_X:-170}" "${STOP_Y:-70}"
sleep 2
echo "polling stopped: $(measure)"
# The drop-down now offers "Start": proof that polling stopped.
[ -n "${SHOT:-}" ] && import -window root -crop 700x200+0+0 "$SHOT"
exit 0
