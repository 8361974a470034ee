#!/usr/bin/env bash
# uninstall_demo_test.sh MAKE_DEMO INSTALLER SOURCE_DIR WORK_FOLDER [gtk]
# Installs the demo medium unattended in a sandbox, lists it, uninstalls it by name and checks that the
# sandbox and the settings store are as they were before the installation. With "gtk" the uninstall runs
# in the real window on the X display, driven by xdotool (exit 77, skipped, without a display).
set -u
make_demo=$1
installer=$2
source=$3
work=$4
mode=${5:-silent}

log=$work/stderr.txt
log_prefix="installer: "
source "$(dirname "$0")/../support/display_test.sh"
[[ $mode == gtk ]] && require_display

rm -rf "$work"
mkdir -p "$work/sandbox"
"$make_demo" "$source/examples/demo" "$work/medium" >/dev/null || fail "the demo medium could not be made"

sandbox=$work/sandbox
for name in OS_FOLDER SYSTEM_FOLDER TEMP_FOLDER DESKTOP_FOLDER DOCUMENTS_FOLDER PROGRAMFILES_FOLDER RTAS_FOLDER \
    VST_FOLDER STARTMENU_FOLDER; do
    mkdir -p "$sandbox/$name"
    export "KIS_$name=$sandbox/$name"
done
target="$sandbox/PROGRAMFILES_FOLDER/Northwind Audio/Aurora Drums"
store=$work/registry.db

# Every entry of the sandbox with its kind, mode and content, and every value of the store. Keys left
# without values at the first two levels of a path (Software, Software\<Vendor>) are kept by design.
snapshot() {
    (cd "$sandbox" && find . -printf '%y %m %p\n' | sort && find . -type f -exec md5sum {} + | sort)
    if [[ -f "$store" ]]; then
        sqlite3 "$store" "SELECT key_path, name, hex(data) FROM registry_values ORDER BY 1, 2;
            SELECT path FROM registry_keys WHERE path LIKE '%\\%\\%' ORDER BY 1;"
    fi
}
snapshot >"$work/before.txt"

"$installer" --medium "$work/medium" --registry "$store" --silent --accept-licence \
    --location "$target" >"$work/stdout.txt" 2>"$work/stderr.txt"
status=$?
[[ $status -eq 0 ]] || fail "the installer ended with $status"
[[ -f "$target/Logs/Aurora Drums_uninstaller.kus" ]] || fail "no uninstall script"

listed=$("$installer" --registry "$store" --list)
[[ "$listed" == "Aurora Drums	1.0.0	Northwind Audio	$target/Logs/Aurora Drums_uninstaller.kus" ]] ||
    fail "--list printed: $listed"

log=$work/uninstall-stderr.txt
if [[ $mode == gtk ]]; then
    mkdir -p "$work/shots"
    "$installer" --registry "$store" --uninstall "aurora drums" >"$work/stdout.txt" 2>"$log" &
    pid=$!
    wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^Aurora Drums Uninstaller$' 2>/dev/null | head -n 1)
    [[ -n "$wid" ]] || fail "the uninstaller's window did not appear"
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    shot() { sleep 0.7; import -window root -crop "600x400+$X+$Y" "$work/shots/$1.png" || fail "no screenshot $1"; }
    click() { xdotool mousemove --sync $((X + $1)) $((Y + $2)) click 1; }
    shot 01-remove
    click 473 379 # Uninstall
    # The removal ends with the product's folder; a sanitizer build takes its time.
    for _ in $(seq 1 600); do
        [[ -d "$target" ]] || break
        sleep 0.1
    done
    [[ -d "$target" ]] && fail "the removal did not end"
    # The window follows once it has shown every row: the completion stage turns red.
    for _ in $(seq 1 60); do
        shot 02-complete
        [[ "$(convert "$work/shots/02-complete.png" -format '%[hex:p{6,272}]' info: 2>/dev/null)" == FF0000 ]] && break
    done
    click 553 379 # Done
    for _ in $(seq 1 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && fail "the uninstaller did not quit on Done"
    wait "$pid"
    status=$?
else
    "$installer" --registry "$store" --silent --uninstall "aurora drums" >"$work/stdout.txt" 2>"$log"
    status=$?
fi
[[ $status -eq 0 ]] || fail "the uninstall ended with $status"
[[ -z "$("$installer" --registry "$store" --list)" ]] || fail "the product is still listed"

snapshot >"$work/after.txt"
diff "$work/before.txt" "$work/after.txt" >"$work/difference.txt" ||
    fail "the uninstall left traces: $(head -n 20 "$work/difference.txt")"
echo "demo installed and removed without a trace ($mode)"
exit 0
