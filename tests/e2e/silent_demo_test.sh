#!/usr/bin/env bash
# silent_demo_test.sh MAKE_DEMO INSTALLER SOURCE_DIR WORK_FOLDER
# Generates the demo medium and installs it unattended in a sandbox, then checks the installed files,
# the install log and the uninstall script.
set -u
make_demo=$1
installer=$2
source=$3
work=$4

log=$work/stderr.txt
log_prefix="installer: "
source "$(dirname "$0")/../support/display_test.sh"

demo_sandbox "$make_demo" "$source" "$work"

"$installer" --medium "$work/medium" --registry "$work/registry.db" --silent --accept-licence \
    --location "$target" --screenshots "$work/screenshots" >"$work/stdout.txt" 2>"$work/stderr.txt"
status=$?
[[ $status -eq 0 ]] || fail "the installer ended with $status"

log="$target/Logs/Aurora Drums_installLog.log"
uninstall="$target/Logs/Aurora Drums_uninstaller.kus"
[[ -f "$log" ]] || fail "no install log"
[[ -f "$uninstall" ]] || fail "no uninstall script"
# Every instruction succeeded.
if grep -q -E '^\| Failure \||^\|Exception\|' "$log"; then
    fail "the install log has failures: $(grep -E '^\| Failure \||^\|Exception\|' "$log" | head -n 3)"
fi
# The whole sample library (the first install size takes every file) was decoded to WAVE files, and
# each decoded file is recorded for the uninstaller.
wavs=$(find "$target/Library" -name '*.wav' | wc -l)
[[ $wavs -eq 36 ]] || fail "$wavs WAVE files were installed, not 36"
[[ $(grep -c '^\[File\],.*\.wav$' "$uninstall") -eq 36 ]] || fail "the uninstall script does not list the 36 WAVE files"
grep -q '^\[Registry\],Software/Northwind Audio/Aurora Drums,InstallPath,' "$uninstall" ||
    fail "the uninstall script lacks the install path value"
[[ -x "$target/bin/aurora-drums.sh" ]] || fail "the player program is not installed executable"
[[ -f "$sandbox/DESKTOP_FOLDER/Aurora Drums.desktop" ]] || fail "no desktop shortcut"
pages=$(find "$work/screenshots" -name '*.png' | wc -l)
[[ $pages -eq 8 ]] || fail "$pages page pictures, not 8"
echo "demo installed: $wavs samples, $pages pages pictured"
exit 0
