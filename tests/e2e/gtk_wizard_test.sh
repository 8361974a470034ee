#!/usr/bin/env bash
# gtk_wizard_test.sh PROGRAM WORK_FOLDER
# Drives the installer's real window on the running X display with xdotool, from the first page to the
# completion page and Done, and checks the installed files, the install log and a screenshot of each page.
# Exit 77 (skipped) without a display or the tools, unless KIS_EXPECT_DISPLAY is set, when that fails.
set -u
program=$1
work=$2

log=$work/stderr.txt
log_prefix="installer: "
source "$(dirname "$0")/../support/display_test.sh"
require_display

rm -rf "$work"
mkdir -p "$work/medium/Installer" "$work/shots"
printf 'Welcome to the wizard test.\nIt installs two folders.\n' >"$work/medium/Installer/Readme.txt"
printf 'The terms of the test licence.\n' >"$work/medium/Installer/Licence.txt"
cat >"$work/medium/Installer/InstallScript.kis" <<SCRIPT
{KestrawinInstallSystem}
{Variables}
TARGET, $work/target
{GlobalSetup}
APPLICATION_NAME, WizardTest
APPLICATION_LOGPATH, \$TARGET\$/Logs
{Pages}
DocumentView, Welcome, Welcome to the wizard test, , , \$CWD_FOLDER\$/Installer/Readme.txt
LicenceView, \$CWD_FOLDER\$/Installer/Licence.txt
InstallProcessView, LogView
CompletionView, Done
{MainInstall}
{Section}, 1, Files, The files, Required
CreateDirectory, \$TARGET\$/bin
CreateDirectory, \$TARGET\$/data
SCRIPT

KIS_REGISTRY="$work/registry.db" "$program" --medium "$work/medium" >"$work/stdout.txt" 2>"$work/stderr.txt" &
pid=$!

wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^WizardTest Installer$' 2>/dev/null | head -n 1)
[[ -n "$wid" ]] || fail "the installer's window did not appear"
eval "$(xdotool getwindowgeometry --shell "$wid")"

shot() { sleep 0.7; import -window root -crop "600x400+$X+$Y" "$work/shots/$1.png" || fail "no screenshot $1"; }
click() {
    xdotool mousemove --sync $((X + $1)) $((Y + $2)) click 1
}
pixel() { convert "$work/shots/$1.png" -format "%[hex:p{$2,$3}]" info: 2>/dev/null; }

shot 01-welcome
click 473 379 # Next
shot 02-licence
click 300 336 # the agreement label ticks the box
click 473 379 # Install
for _ in $(seq 1 100); do
    [[ -d "$work/target/data" ]] && break
    sleep 0.1
done
[[ -d "$work/target/data" ]] || fail "the installation did not run"
sleep 1.5
shot 03-complete
click 553 379 # Done quits without a question

for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the installer did not quit on Done"
wait "$pid"
status=$?
[[ $status -eq 0 ]] || fail "the installer ended with $status"

[[ -d "$work/target/bin" ]] || fail "bin was not installed"
grep -q '^|         |CreateDirectory. DST=.*/target/data ' "$work/target/Logs/WizardTest_installLog.log" ||
    fail "the install log lacks the data row"
# The stage display marks the current stage red: the first on the first page, the last at the end.
for page in 01-welcome 02-licence 03-complete; do
    [[ -s "$work/shots/$page.png" ]] || fail "no picture of $page"
done
[[ "$(pixel 01-welcome 6 6)" == "FF0000" ]] || fail "the first stage is not marked current: $(pixel 01-welcome 6 6)"
[[ "$(pixel 03-complete 6 306)" == "FF0000" ]] || fail "the last stage is not marked current: $(pixel 03-complete 6 306)"
echo "wizard driven to Done; pictures in $work/shots"
exit 0
