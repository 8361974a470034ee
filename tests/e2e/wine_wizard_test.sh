#!/usr/bin/env bash
# wine_wizard_test.sh WINDOWS_INSTALLER POSIX_INSTALLER MAKE_DEMO SOURCE_DIR WORK_FOLDER
# Runs the Windows program's wizard in a real Win32 window under Wine on the X display, drives the demo
# medium with xdotool from the first page to Done, and checks the installation, that the window shows what
# the program pictures, and that each page's picture (--screenshots) matches the POSIX build's picture of
# the same page within a tolerance: fonts differ between the systems, the layout may not.
# Exit 77 (skipped) without a display, Wine or the tools, unless KIS_EXPECT_DISPLAY is set, when that fails.
set -u
windows_installer=$1
posix_installer=$2
make_demo=$3
source=$4
work=$5

log=$work/stderr.txt
log_prefix="installer: "
source "$(dirname "$0")/../support/display_test.sh"
require_display
command -v compare >/dev/null 2>&1 || skip "ImageMagick's compare is missing"
wine=${KIS_WINE:-}
if [[ -z "$wine" ]]; then
    for candidate in /usr/lib/wine/wine64 "$(command -v wine64 2>/dev/null)"; do
        if [[ -n "$candidate" && -x "$candidate" ]]; then wine=$candidate; break; fi
    done
fi
[[ -n "$wine" ]] || skip "Wine is not installed"
[[ -f "$windows_installer" ]] || skip "no Windows program at $windows_installer"

# Pictures may differ in this share of their pixels (by more than the fuzz), and the layouts (the pictures
# scaled down to a tenth, which blurs glyphs away) by this normalised mean error. Measured: the text of the
# two systems' fonts changes up to 7 % of a page and a layout error of 0.023; two different pages of the
# wizard differ by 0.065 or more in layout.
max_changed_share=${KIS_WINE_PAGE_TOLERANCE:-0.08}
max_layout_error=${KIS_WINE_LAYOUT_TOLERANCE:-0.035}

rm -rf "$work"
mkdir -p "$work"
"$make_demo" "$source/examples/demo" "$work/medium" >/dev/null || fail "the demo medium could not be made"

# The same sandbox for both programs: every built-in folder below the work folder (a Z: path for Wine).
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
sandbox=$work/sandbox
posix_env=()
windows_env=()
for name in OS_FOLDER SYSTEM_FOLDER TEMP_FOLDER DESKTOP_FOLDER DOCUMENTS_FOLDER PROGRAMFILES_FOLDER RTAS_FOLDER \
    VST_FOLDER STARTMENU_FOLDER; do
    mkdir -p "$sandbox/posix/$name" "$sandbox/windows/$name"
    posix_env+=("KIS_$name=$sandbox/posix/$name")
    windows_env+=("KIS_$name=$(windows_path "$sandbox/windows/$name")")
done

# The POSIX build's pictures of the pages, unattended.
env "${posix_env[@]}" "$posix_installer" --medium "$work/medium" --registry "$work/registry.db" --silent \
    --accept-licence --screenshots "$work/posix" >"$work/posix-stdout.txt" 2>"$work/posix-stderr.txt" ||
    fail "the POSIX program could not install the demo"

# The Windows edition of the medium: the same library and pages, a batch file as the player.
cp "$source/tests/e2e/inputs/win32/InstallScript.kis" "$work/medium/Installer/InstallScript.kis"
cp "$source/tests/e2e/inputs/win32/aurora-drums.cmd" "$work/medium/Payload/aurora-drums.cmd"
rm -f "$work/medium/Payload/aurora-drums.sh"

export WINEPREFIX=${WINEPREFIX:-$source/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
mkdir -p "$WINEPREFIX"
# The registry values go below a scratch key of the local-machine hive, emptied first: the location page
# offers the folder an earlier installation stored there.
registry_key='HKEY_LOCAL_MACHINE\Software\KIS Wizard Test'
"$wine" reg delete "$registry_key" /f >/dev/null 2>&1
env "${windows_env[@]}" "$wine" "$windows_installer" --medium "$(windows_path "$work/medium")" \
    --registry "$registry_key" --screenshots "$(windows_path "$work/windows")" >"$work/stdout.txt" 2>"$work/stderr.txt" &
pid=$!

# Wine's first start in a new prefix takes long; the splash screen shows before the wizard.
wid=$(timeout 120 xdotool search --sync --onlyvisible --name '^Aurora Drums Installer$' 2>/dev/null | head -n 1)
[[ -n "$wid" ]] || fail "the installer's window did not appear"
eval "$(xdotool getwindowgeometry --shell "$wid")"
# Without a window manager Wine draws the frame itself: the client area is the bottom 600 x 400, centred.
border=$(((WIDTH - 600) / 2))
X=$((X + border))
Y=$((Y + HEIGHT - 400 - border))

pictures() { find "$work/windows" -name '*.png' 2>/dev/null | wc -l; }
# Waits until the program has pictured n pages.
await_page() {
    local n=$1
    for _ in $(seq 1 300); do
        (($(pictures) >= n)) && return 0
        kill -0 "$pid" 2>/dev/null || fail "the installer ended before page $n"
        sleep 0.1
    done
    fail "page $n was not shown"
}
click() { xdotool mousemove --sync $((X + $1)) $((Y + $2)) click 1; }
# Answers the confirm box (a message box with OK and Cancel): Return for OK, its default button, Escape
# for Cancel.
answer_confirm() {
    local box
    box=$(timeout 60 xdotool search --sync --onlyvisible --name '^Confirm:$' 2>/dev/null | head -n 1)
    [[ -n "$box" ]] || fail "no confirm box appeared"
    xdotool windowfocus --sync "$box" key "$1"
}

await_page 1
sleep 0.5
import -window root -crop "600x400+$X+$Y" +repage "$work/window-01.png" || fail "no picture of the window"
click 473 379 # Welcome: Next
await_page 2
click 300 336 # Licence: the agreement label ticks the box
click 473 379
await_page 3
click 473 379 # Location: the folder does not exist yet; the confirm box asks to make it
answer_confirm Return
await_page 4
click 473 379 # Sections
await_page 5
click 473 379 # Kit pieces: Install
await_page 6
# The installation runs on the process page; Next comes back when it has ended: every sample decoded and
# the install log quiet for two seconds.
target="$sandbox/windows/PROGRAMFILES_FOLDER/Northwind Audio/Aurora Drums"
target_log="$target/Logs/Aurora Drums_installLog.log"
for _ in $(seq 1 600); do
    (($(find "$target/Library" -name '*.wav' 2>/dev/null | wc -l) >= 36)) && break
    kill -0 "$pid" 2>/dev/null || fail "the installer ended during the installation"
    sleep 0.2
done
# At its end the installation offers to start the player: not here.
answer_confirm Escape
size=-1
for _ in $(seq 1 60); do
    now=$(stat -c %s "$target_log" 2>/dev/null || echo 0)
    [[ $now == "$size" ]] && break
    size=$now
    sleep 2
done
click 473 379 # Process: Next
await_page 7
click 473 379 # Picture: Next
await_page 8
sleep 0.3
click 553 379 # Completion: Done

for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the installer did not quit on Done"
wait "$pid"
status=$?
pid=
[[ $status -eq 0 ]] || fail "the installer ended with $status"

wavs=$(find "$target/Library" -name '*.wav' 2>/dev/null | wc -l)
[[ $wavs -eq 36 ]] || fail "$wavs WAVE files were installed, not 36"
if grep -q -E '^\| Failure \||^\|Exception\|' "$target_log"; then
    fail "the install log has failures: $(grep -E '^\| Failure \||^\|Exception\|' "$target_log" | head -n 3)"
fi

# The window shows what the program draws: the real window's first page against the program's picture.
shown=$(compare -metric AE -fuzz 10% "$work/window-01.png" "$(ls "$work"/windows/01-*.png)" null: 2>&1)
((${shown%%.*} <= 2400)) || fail "the window does not show the drawn page: $shown pixels differ"

# Each page against the POSIX build's picture of it.
report=$work/comparison.txt
: >"$report"
count=0
for posix_page in "$work"/posix/0[1-8]-*.png; do
    name=$(basename "$posix_page")
    windows_page=$work/windows/$name
    [[ -f "$windows_page" ]] || fail "no Windows picture $name (have: $(ls "$work/windows" | tr '\n' ' '))"
    changed=$(compare -metric AE -fuzz 25% "$posix_page" "$windows_page" null: 2>&1)
    convert "$posix_page" -resize 10% "$work/small-posix.png" && convert "$windows_page" -resize 10% "$work/small-windows.png" ||
        fail "$name could not be scaled down"
    layout=$(compare -metric RMSE "$work/small-posix.png" "$work/small-windows.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/')
    share=$(awk -v c="${changed%%.*}" 'BEGIN { printf "%.4f", c / 240000 }')
    echo "$name changed=$share layout=$layout" >>"$report"
    awk -v s="$share" -v m="$max_changed_share" 'BEGIN { exit !(s <= m) }' ||
        fail "$name differs from the POSIX picture in $share of its pixels (allowed $max_changed_share)"
    awk -v l="$layout" -v m="$max_layout_error" 'BEGIN { exit !(l <= m) }' ||
        fail "$name has another layout than the POSIX picture (error $layout, allowed $max_layout_error)"
    count=$((count + 1))
done
[[ $count -eq 8 ]] || fail "$count pages compared, not 8"
echo "wizard driven to Done under Wine; $count pages match the POSIX pictures (see $report)"
exit 0
