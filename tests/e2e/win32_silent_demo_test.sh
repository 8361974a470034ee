#!/usr/bin/env bash
# win32_silent_demo_test.sh MAKE_DEMO POSIX_INSTALLER WINDOWS_INSTALLER SOURCE_DIR WORK_FOLDER
# Installs the demo medium (Windows edition) unattended with kis-installer.exe under Wine into a sandbox on
# the Wine prefix's drive C:, checks the installed files, the install log, the uninstall script and the
# registry values, and compares the decoded WAVE files byte for byte with those of the POSIX program.
set -u
make_demo=$1
posix_installer=$2
windows_installer=$3
source=$4
work=$5

log=$work/stderr.txt
log_prefix="installer: "
source "$source/tests/support/display_test.sh"
wine_run=$source/scripts/wine-run.sh
export WINEPREFIX=${WINEPREFIX:-$source/build/wineprefix}
drive_c=$WINEPREFIX/drive_c

rm -rf "$work"
mkdir -p "$work"
"$make_demo" "$source/examples/demo" "$work/medium" >/dev/null || fail "the demo medium could not be made"

# The reference: the POSIX program decodes the same library.
reference=$work/reference
for name in OS_FOLDER SYSTEM_FOLDER TEMP_FOLDER DESKTOP_FOLDER DOCUMENTS_FOLDER PROGRAMFILES_FOLDER RTAS_FOLDER \
    VST_FOLDER STARTMENU_FOLDER; do
    mkdir -p "$reference/$name"
done
(
    for name in OS_FOLDER SYSTEM_FOLDER TEMP_FOLDER DESKTOP_FOLDER DOCUMENTS_FOLDER PROGRAMFILES_FOLDER RTAS_FOLDER \
        VST_FOLDER STARTMENU_FOLDER; do export "KIS_$name=$reference/$name"; done
    "$posix_installer" --medium "$work/medium" --registry "$work/reference.db" --silent --accept-licence \
        --location "$reference/PROGRAMFILES_FOLDER/Aurora Drums" >/dev/null 2>"$work/reference-stderr.txt"
) || fail "the POSIX program could not install the reference"

# The Windows edition of the medium: the same library and pages, a batch file as the player.
cp "$source/tests/e2e/inputs/win32/InstallScript.kis" "$work/medium/Installer/InstallScript.kis"
cp "$source/tests/e2e/inputs/win32/aurora-drums.cmd" "$work/medium/Payload/aurora-drums.cmd"
rm -f "$work/medium/Payload/aurora-drums.sh"

sandbox_name=kis-demo-sandbox
sandbox=$drive_c/$sandbox_name
rm -rf "$sandbox"
for name in OS_FOLDER SYSTEM_FOLDER TEMP_FOLDER DESKTOP_FOLDER DOCUMENTS_FOLDER PROGRAMFILES_FOLDER RTAS_FOLDER \
    VST_FOLDER STARTMENU_FOLDER; do
    mkdir -p "$sandbox/$name"
    export "KIS_$name=C:\\$sandbox_name\\$name"
done
# The registry values go below a scratch key of the local-machine hive.
registry_key='HKEY_LOCAL_MACHINE\Software\KIS Demo Test'
"$wine_run" reg delete "$registry_key" /f >/dev/null 2>&1
medium_windows="Z:$(printf '%s' "$work/medium" | tr / '\\')"
target_windows="C:\\$sandbox_name\\PROGRAMFILES_FOLDER\\Northwind Audio\\Aurora Drums"
"$wine_run" "$windows_installer" --medium "$medium_windows" --registry "$registry_key" --silent \
    --accept-licence --location "$target_windows" >"$work/stdout.txt" 2>"$work/stderr.txt"
status=$?
[[ $status -eq 0 ]] || fail "kis-installer.exe ended with $status"

target="$sandbox/PROGRAMFILES_FOLDER/Northwind Audio/Aurora Drums"
install_log="$target/Logs/Aurora Drums_installLog.log"
uninstall="$target/Logs/Aurora Drums_uninstaller.kus"
[[ -f "$install_log" ]] || fail "no install log"
[[ -f "$uninstall" ]] || fail "no uninstall script"
if grep -q -E '^\| Failure \||^\|Exception\|' "$install_log"; then
    fail "the install log has failures: $(grep -E '^\| Failure \||^\|Exception\|' "$install_log" | head -n 3)"
fi
wavs=$(find "$target/Library" -name '*.wav' | wc -l)
[[ $wavs -eq 36 ]] || fail "$wavs WAVE files were installed, not 36"
[[ $(tr -d '\r' <"$uninstall" | grep -c '^\[File\],.*\.wav$') -eq 36 ]] ||
    fail "the uninstall script does not list the 36 WAVE files"
grep -q '^\[File\],C:\\kis-demo-sandbox\\PROGRAMFILES_FOLDER\\Northwind Audio\\Aurora Drums\\bin\\aurora-drums.cmd' \
    "$uninstall" || fail "the uninstall script lacks the player with its Windows path"
# Every decoded file equals the POSIX program's, byte for byte.
differing=0
while IFS= read -r -d '' file; do
    relative=${file#"$reference/PROGRAMFILES_FOLDER/Aurora Drums/"}
    cmp -s "$file" "$target/$relative" || differing=$((differing + 1))
done < <(find "$reference/PROGRAMFILES_FOLDER/Aurora Drums/Library" -name '*.wav' -print0)
[[ $differing -eq 0 ]] || fail "$differing decoded files differ from the POSIX program's"
[[ $(find "$reference/PROGRAMFILES_FOLDER/Aurora Drums/Library" -name '*.wav' | wc -l) -eq 36 ]] ||
    fail "the POSIX reference has not 36 WAVE files"
# The shortcut is a real shell link (its header: size 0x4C and the link class id).
link="$sandbox/DESKTOP_FOLDER/Aurora Drums.lnk"
[[ -f "$link" ]] || fail "no desktop shortcut"
[[ $(head -c 4 "$link" | od -An -tx1 | tr -d ' \n') == 4c000000 ]] || fail "the shortcut is not a shell link"
# The registry has the values the script wrote.
values=$("$wine_run" reg query "$registry_key\\Software\\Northwind Audio\\Aurora Drums" 2>/dev/null | tr -d '\r')
grep -q 'Version[[:space:]]*REG_SZ[[:space:]]*1.0.0' <<<"$values" || fail "the registry lacks the version: $values"
grep -q "InstallPath[[:space:]]*REG_SZ[[:space:]]*C:.$sandbox_name.PROGRAMFILES_FOLDER.Northwind Audio.Aurora Drums" \
    <<<"$values" || fail "the registry lacks the install path: $values"
"$wine_run" reg delete "$registry_key" /f >/dev/null 2>&1
echo "demo installed under Wine: $wavs samples equal to the POSIX program's, shell link and registry values"
exit 0
