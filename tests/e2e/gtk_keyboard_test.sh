#!/usr/bin/env bash
# gtk_keyboard_test.sh PROGRAM MAKE_DEMO SOURCE_DIR WORK_FOLDER
# The demo medium in the installer's real window, driven with the keyboard alone (xdotool key): every page
# from the welcome page to Done, with a picture of each page. Then a second run closed from outside
# (xdotool windowclose) while it installs: the program must stop the installation and end with the abort's
# exit code, never crash. Waits are bounded polls for windows, files and pixels.
# Exit 77 (skipped) without a display or the tools, unless KIS_EXPECT_DISPLAY is set, when that fails.
set -u
program=$1
make_demo=$2
source_dir=$3
work=$4

log=$work/diagnostics.log
log_prefix="diagnostics: "
source "$(dirname "$0")/../support/display_test.sh"
require_display

rm -rf "$work"
mkdir -p "$work/shots"
"$make_demo" "$source_dir/examples/demo" "$work/medium" >/dev/null || fail "the demo medium was not made"

sandbox=$work/sandbox
for name in OS SYSTEM TEMP DESKTOP DOCUMENTS PROGRAMFILES RTAS VST STARTMENU; do
    mkdir -p "$sandbox/$name"
    export "KIS_${name}_FOLDER=$sandbox/$name"
done
export KIS_REGISTRY=$work/registry.db
target="$sandbox/PROGRAMFILES/Northwind Audio/Aurora Drums"

# poll TRIES COMMAND...: runs COMMAND every 0.1 s until it succeeds, at most TRIES times.
poll() {
    local tries=$1
    shift
    for ((i = 0; i < tries; ++i)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
window_shown() { wid=$(xdotool search --onlyvisible --name '^Aurora Drums Installer$' 2>/dev/null | head -n 1); [[ -n "$wid" ]]; }
splash_shown() { splash=$(xdotool search --onlyvisible --name '^SplashScreen$' 2>/dev/null | head -n 1); [[ -n "$splash" ]]; }
# The demo's splash picture is mostly dark blue; an unpainted splash screen is a white box.
splash_painted() {
    import -window "$splash" "$work/shots/00-splash.png" 2>/dev/null || return 1
    local mean
    mean=$(convert "$work/shots/00-splash.png" -format '%[fx:int(100*mean)]' info: 2>/dev/null)
    [[ -n "$mean" ]] && ((mean < 60))
}
grab() { import -window root -crop "600x400+$X+$Y" +repage "$1" 2>/dev/null; }
# page NAME: waits until the window's picture differs from the last page's and has settled, keeps it.
last=""
page() {
    local file=$work/shots/$1.png tries=0
    while ((tries++ < 80)); do
        grab "$work/shots/probe.png" || continue
        if [[ -z "$last" ]] || ! cmp -s "$work/shots/probe.png" "$last"; then
            sleep 0.2
            grab "$file" && cmp -s "$file" "$work/shots/probe.png" && { last=$file; return 0; }
        else
            sleep 0.1
        fi
    done
    fail "the page $1 did not appear"
}
key() { xdotool key --window "$wid" --delay 60 "$@"; }
# moved N: waits until the wizard has moved on N times in this run (its diagnostic log says so).
moved() { [[ $(grep -c "Moved the stage display" "$log" 2>/dev/null) -ge $1 ]]; }
wait_moved() { poll "${2:-50}" moved "$1" || fail "the wizard did not move on to page $(($1 + 1))"; }

start() {
    "$program" --medium "$work/medium" --diagnostics "$log" >"$work/stdout.txt" 2>"$work/stderr.txt" &
    pid=$!
    # The splash screen shows first, with its picture (not a blank box); the main window appears when it
    # closes.
    if [[ -n "${check_splash:-}" ]]; then
        poll 100 splash_shown || fail "the splash screen did not appear"
        poll 30 splash_painted || fail "the splash screen does not show its picture"
        check_splash=""
    fi
    poll 200 window_shown || fail "the installer's window did not appear"
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    xdotool windowfocus --sync "$wid" 2>/dev/null || true
}
ended() { ! kill -0 "$pid" 2>/dev/null; }

# --- 1. the keyboard alone, from the welcome page to Done
check_splash=1
start
# The demo medium has no icon of its own: the window shows the default one.
if command -v xprop >/dev/null 2>&1; then
    xprop -id "$wid" _NET_WM_ICON 2>/dev/null | grep -q "CARDINAL" || fail "the window has no icon"
fi
page 01-welcome
key Return
wait_moved 1
page 02-licence
key Tab Tab space
page 02-licence-ticked
key alt+n
wait_moved 2
# A new folder: the question whether to create it is a dialog of its own; Enter accepts it.
dialog=""
# The dialog takes the keyboard focus (there is no window manager to give it), then Enter: OK.
answer_dialog() {
    xdotool windowfocus --sync "$dialog" 2>/dev/null
    [[ -f "$work/shots/dialog.png" ]] || import -window "$dialog" "$work/shots/dialog.png" 2>/dev/null
    xdotool key --delay 60 Return
    xdotool windowfocus --sync "$wid" 2>/dev/null
}
find_dialog() { dialog=$(xdotool search --onlyvisible --name '^Confirm:$' 2>/dev/null | head -n 1); [[ -n "$dialog" ]]; }
page 03-location
key Return
poll 50 find_dialog || fail "the create-folder question did not appear"
answer_dialog
wait_moved 3
page 04-components
key Tab Down
page 04-components-keys
key Return
wait_moved 4
page 05-kit-pieces
key Return
wait_moved 5
page 06-installing
# The wizard moves on by itself when the installation ends; the demo asks on the way whether to start the
# player, which Escape declines.
for ((tries = 0; tries < 6000; ++tries)); do
    moved 6 && break
    if find_dialog; then
        xdotool windowfocus --sync "$dialog" 2>/dev/null
        xdotool key Escape
        xdotool windowfocus --sync "$wid" 2>/dev/null
    fi
    sleep 0.1
done
wait_moved 6
page 07-ready
key Return
wait_moved 7
page 08-complete
key Return
poll 50 ended || fail "the installer did not quit on Enter (Done)"
wait "$pid"
status=$?
[[ $status -eq 0 ]] || fail "the keyboard run ended with $status"
[[ -x "$target/bin/aurora-drums.sh" ]] || fail "the player was not installed"
# A sanitizer build adds its own report once the program has ended; it starts with a line of dashes.
if sed '/^-\{20,\}$/,$d' "$work/stderr.txt" | grep -qv -e 'Gtk-' -e '^$' -e 'dbind-WARNING'; then
    fail "diagnostics reached standard error: $(head -n 3 "$work/stderr.txt")"
fi
grep -q "Completed post load" "$log" || fail "the diagnostic log file lacks the page changes"

# --- 2. closed from outside while installing: the abort's exit code, no crash
rm -rf "$target" "$KIS_REGISTRY"
mv "$log" "$work/diagnostics-keyboard.log"
start
key Return
wait_moved 1
key Tab Tab space alt+n
wait_moved 2
key Return
poll 50 find_dialog || fail "the create-folder question did not appear (second run)"
answer_dialog
wait_moved 3
key Return
wait_moved 4
key Return
wait_moved 5
poll 1200 test -f "$target/Logs/Aurora Drums_installLog.log" || fail "the second installation did not start"
xdotool windowclose "$wid"
# A question that the installation asked just before (the demo's "try the player now?") is still answered
# by the user before the aborted installation can end.
for ((tries = 0; tries < 600; ++tries)); do
    ended && break
    if find_dialog; then
        xdotool windowfocus --sync "$dialog" 2>/dev/null
        xdotool key Escape
    fi
    sleep 0.1
done
ended || fail "the installer did not end after its window was closed"
wait "$pid"
status=$?
# 1 when the abort stopped the installation; 0 when its last step was already running (the demo's last
# step is the question above) and it ended complete. Never a crash.
[[ $status -eq 1 || $status -eq 0 ]] || fail "closing during the installation ended with $status"
grep -q "Total created:" "$log" || fail "the diagnostic log has no memory report: the program did not end cleanly"
# --- 3. a read-only location (a read-only tmpfs, where this machine lets us mount one): the location page
# refuses it with an alert and keeps the page, instead of a stuck installation.
readonly_folder=$work/readonly
mkdir -p "$readonly_folder"
if mount -t tmpfs -o ro,size=1m tmpfs "$readonly_folder" 2>/dev/null; then
    trap 'umount "$readonly_folder" 2>/dev/null' EXIT
    mv "$log" "$work/diagnostics-close.log"
    rm -rf "$KIS_REGISTRY"
    "$program" --medium "$work/medium" --diagnostics "$log" --set "INSTALL_DIR=$readonly_folder/Aurora" \
        >"$work/stdout.txt" 2>"$work/stderr.txt" &
    pid=$!
    poll 200 window_shown || fail "the installer's window did not appear (read-only run)"
    xdotool windowfocus --sync "$wid" 2>/dev/null || true
    key Return
    wait_moved 1
    key Tab Tab space alt+n
    wait_moved 2
    key Return
    find_alert() { dialog=$(xdotool search --onlyvisible --name '^Alert$' 2>/dev/null | head -n 1); [[ -n "$dialog" ]]; }
    poll 50 find_alert || fail "the read-only location was not refused with an alert"
    xdotool windowfocus --sync "$dialog" 2>/dev/null
    import -window "$dialog" "$work/shots/readonly-alert.png" 2>/dev/null
    xdotool key Return
    xdotool windowfocus --sync "$wid" 2>/dev/null
    moved 3 && fail "the wizard went on past a read-only location"
    [[ -e "$readonly_folder/Aurora" ]] && fail "something was made in the read-only folder"
    key Escape
    poll 50 find_dialog || fail "Escape did not ask before quitting"
    answer_dialog
    poll 50 ended || fail "the installer did not quit after Escape and OK"
    wait "$pid"
    status=$?
    [[ $status -eq 0 ]] || fail "quitting from the location page ended with $status"
else
    echo "note: no read-only tmpfs could be mounted here; the read-only location is tested headless only"
fi

echo "keyboard run to Done and close during the installation passed; pictures in $work/shots"
exit 0
