#!/usr/bin/env bash
# silent_jobs_test.sh MAKE_DEMO INSTALLER SOURCE_DIR WORK_FOLDER [JOBS...]
# Installs the demo medium unattended once per job count given (default: 1 and 4) at the same place and
# checks that the install logs and uninstall scripts are the same apart from the date, and that the
# --progress lines rise and end at 100 %.
set -u
make_demo=$1
installer=$2
source=$3
work=$4
shift 4
jobs=("$@")
[[ ${#jobs[@]} -gt 0 ]] || jobs=(1 4)

log=$work/stderr.txt
log_prefix="installer: "
source "$(dirname "$0")/../support/display_test.sh"

rm -rf "$work"
mkdir -p "$work"
"$make_demo" "$source/examples/demo" "$work/medium" >/dev/null || fail "the demo medium could not be made"
sandbox=$work/sandbox
target="$sandbox/PROGRAMFILES_FOLDER/Northwind Audio/Aurora Drums"

for count in "${jobs[@]}"; do
    rm -rf "$sandbox" "$work/registry.db"
    for name in OS_FOLDER SYSTEM_FOLDER TEMP_FOLDER DESKTOP_FOLDER DOCUMENTS_FOLDER PROGRAMFILES_FOLDER \
        RTAS_FOLDER VST_FOLDER STARTMENU_FOLDER; do
        mkdir -p "$sandbox/$name"
        export "KIS_$name=$sandbox/$name"
    done
    log=$work/stderr-$count.txt
    "$installer" --medium "$work/medium" --registry "$work/registry.db" --silent --accept-licence \
        --location "$target" --jobs "$count" --progress >"$work/stdout.txt" 2>"$log"
    status=$?
    [[ $status -eq 0 ]] || fail "the installer ended with $status with --jobs $count"
    # The log's date line is the only line that may differ.
    grep -v -E '^(\| )?[A-Z][a-z]{2} [A-Z][a-z]{2} +[0-9]+ [0-9:]{8} [0-9]{4}' \
        "$target/Logs/Aurora Drums_installLog.log" >"$work/log-$count.txt"
    cp "$target/Logs/Aurora Drums_uninstaller.kus" "$work/uninstall-$count.kus"
    wavs=$(find "$target/Library" -name '*.wav' | wc -l)
    [[ $wavs -eq 36 ]] || fail "$wavs WAVE files were installed with --jobs $count, not 36"
    find "$target" -name '.kis-tmp-*' | grep -q . && fail "temporary files were left with --jobs $count"
    # Progress lines: whole percentages that rise, the last one 100 %.
    grep '^Progress: ' "$log" | sed -E 's/^Progress: ([0-9]+)%.*/\1/' >"$work/progress-$count.txt"
    [[ $(tail -n 1 "$work/progress-$count.txt") == 100 ]] || fail "the last progress line is not 100 % (--jobs $count)"
    sort -n -c -u "$work/progress-$count.txt" 2>/dev/null || fail "the progress lines do not rise (--jobs $count)"
done

first=${jobs[0]}
for count in "${jobs[@]:1}"; do
    cmp -s "$work/log-$first.txt" "$work/log-$count.txt" ||
        fail "the install logs of --jobs $first and --jobs $count differ: $(diff "$work/log-$first.txt" "$work/log-$count.txt" | head -n 5)"
    cmp -s "$work/uninstall-$first.kus" "$work/uninstall-$count.kus" ||
        fail "the uninstall scripts of --jobs $first and --jobs $count differ"
done
echo "installed with --jobs ${jobs[*]}: the same log and uninstall script, progress rising to 100 %"
exit 0
