#!/usr/bin/env bash
# Runs the demo installation: Aurora Drums by Northwind Audio, a fictional product whose medium shows
# every page kind of the wizard and every family of install instructions.
#
# Installs the packages KIS needs, builds the release tree, generates the medium (pictures and
# compressed samples are drawn and encoded by kis_make_demo) into build/demo/medium and runs the
# installer on it. Every built-in folder and the settings store are redirected into build/demo, so
# nothing outside the sandbox is touched. With a display (DISPLAY set) the wizard opens in a window;
# without one it runs silently and saves a picture of each page in build/demo/screenshots.
#
# Usage: scripts/demo.sh [--silent]     (--silent runs unattended even when a display is available)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

silent=0
case "${1:-}" in
    --silent) silent=1 ;;
    "") ;;
    *) echo "usage: $0 [--silent]" >&2; exit 2 ;;
esac
if [[ -z "${DISPLAY:-}" ]]; then silent=1; fi

scripts/deps.sh
scripts/build.sh release
# A release tree configured before the demo existed lacks the generator; configuring again adds it.
if [[ ! -x build/release/examples/kis_make_demo ]]; then
    cmake -S . -B build/release >/dev/null
    cmake --build build/release -j "$(nproc)" --target kis_make_demo
fi

demo=$root/build/demo
sandbox=$demo/sandbox
# A fresh sandbox each time: the previous run's installation, settings and pictures go.
rm -rf "$demo"
mkdir -p "$sandbox"
build/release/examples/kis_make_demo examples/demo "$demo/medium"

export KIS_OS_FOLDER=$sandbox/System
export KIS_SYSTEM_FOLDER=$sandbox/System/Libraries
export KIS_TEMP_FOLDER=$sandbox/Temp
export KIS_DESKTOP_FOLDER=$sandbox/Desktop
export KIS_DOCUMENTS_FOLDER=$sandbox/Documents
export KIS_PROGRAMFILES_FOLDER=$sandbox/Programs
export KIS_RTAS_FOLDER=$sandbox/Programs/Common
export KIS_VST_FOLDER=$sandbox/Plugins/VST
export KIS_STARTMENU_FOLDER=$sandbox/StartMenu
for folder in "$KIS_OS_FOLDER" "$KIS_SYSTEM_FOLDER" "$KIS_TEMP_FOLDER" "$KIS_DESKTOP_FOLDER" \
    "$KIS_DOCUMENTS_FOLDER" "$KIS_PROGRAMFILES_FOLDER" "$KIS_RTAS_FOLDER" "$KIS_VST_FOLDER" \
    "$KIS_STARTMENU_FOLDER"; do
    mkdir -p "$folder"
done

target=$KIS_PROGRAMFILES_FOLDER/Northwind\ Audio/Aurora\ Drums
# The installer's diagnostic log (page changes, job server, memory report) goes to a file, so that the
# terminal shows only what the user needs.
diagnostics=$demo/diagnostics.log
installer=(build/release/ui/kis-installer --medium "$demo/medium" --registry "$demo/registry.db"
    --diagnostics "$diagnostics")
status=0
if ((silent)); then
    echo "demo: installing silently (no display); pictures of the pages go to build/demo/screenshots"
    "${installer[@]}" --silent --accept-licence --location "$target" \
        --screenshots "$demo/screenshots" 2> >(tee "$demo/installer-stderr.log" >&2) || status=$?
else
    echo "demo: opening the installer window (diagnostics go to ${diagnostics#"$root"/})"
    "${installer[@]}" || status=$?
fi

echo
echo "demo: the installer ended with exit code $status"
logs=$target/Logs
if [[ -d "$logs" ]]; then
    for file in "$logs"/*_installLog.log; do
        [[ -e "$file" ]] && echo "demo: install log:      ${file#"$root"/}"
    done
    for file in "$logs"/*_uninstaller.kus; do
        [[ -e "$file" ]] && echo "demo: uninstall script: ${file#"$root"/}"
    done
else
    echo "demo: no install log was written (the installation did not run to its end)"
fi
echo "demo: installed files:  ${target#"$root"/}"
echo "demo: settings store:   build/demo/registry.db"
echo "demo: diagnostic log:   ${diagnostics#"$root"/}"
if [[ -d "$demo/screenshots" ]]; then echo "demo: screenshots:      build/demo/screenshots"; fi
exit "$status"
