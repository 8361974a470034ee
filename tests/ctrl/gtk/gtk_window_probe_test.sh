#!/usr/bin/env bash
# gtk_window_probe_test.sh PROBE OUTPUT_FOLDER
# Drives the GTK window probe on the running X display: finds its window, clicks its button with xdotool,
# checks that the program heard the press and that the screen (ImageMagick's import) shows the button's
# clicked colour, then ends it with Escape. Exit 77 (skipped) without a display or the tools, unless
# KIS_EXPECT_DISPLAY is set, when that is a failure.
set -u
probe=$1
out=$2

log=$out/probe.log
log_prefix="probe: "
source "$(dirname "$0")/../../support/display_test.sh"
require_display

mkdir -p "$out"
rm -f "$out/probe.log" "$out/probe.png"
"$probe" "$out" >"$out/probe.log" 2>&1 &
pid=$!

wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^KIS Window Probe$' 2>/dev/null | head -n 1)
[[ -n "$wid" ]] || fail "the probe's window did not appear"

# Where the window's client area is on the screen (no window manager: the X window is the client area).
eval "$(xdotool getwindowgeometry --shell "$wid")"
[[ "$WIDTH" == 600 && "$HEIGHT" == 400 ]] || fail "the window is ${WIDTH}x${HEIGHT}, not 600x400"
cx=$((X + 300))
cy=$((Y + 200))

pixel() {
    import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-Fa-f]\{6\}' | head -n 1
}

# The control's first colour once the window has painted.
for _ in $(seq 50); do
    [[ "$(pixel "$cx" "$cy")" == "#00A000" ]] && break
    sleep 0.1
done
[[ "$(pixel "$cx" "$cy")" == "#00A000" ]] || fail "the control is $(pixel "$cx" "$cy") on the screen, not green #00A000"

xdotool mousemove --sync "$cx" "$cy" click 1
for _ in $(seq 100); do
    grep -q '^timer 1$' "$out/probe.log" && break
    sleep 0.1
done
grep -q '^pressed button 1$' "$out/probe.log" || fail "the probe's button did not report the press"
grep -q '^timer 1$' "$out/probe.log" || fail "the control's timer did not fire"
[[ $(grep -c '^timer' "$out/probe.log") == 1 ]] || fail "a timer whose handler returns false fired again"

for _ in $(seq 50); do
    [[ "$(pixel "$cx" "$cy")" == "#0000C8" ]] && break
    sleep 0.1
done
shot=$(pixel "$cx" "$cy")
[[ "$shot" == "#0000C8" ]] || fail "after the click the control is $shot on the screen, not blue #0000C8"
outside=$(pixel $((X + 50)) $((Y + 50)))
[[ "$outside" == "#FFFFFF" ]] || fail "the window's empty area is $outside, not white"

xdotool windowfocus --sync "$wid" 2>/dev/null || true
xdotool key Escape
for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the probe did not end on Escape"
wait "$pid"
code=$?
pid=
[[ $code == 0 ]] || fail "the probe ended with $code"
[[ -s "$out/probe.png" ]] || fail "the probe did not save its window"
echo "gtk window probe: click, timer, paint and key checked"
