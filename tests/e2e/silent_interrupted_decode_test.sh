#!/usr/bin/env bash
# silent_interrupted_decode_test.sh MAKE_DEMO INSTALLER SOURCE_DIR WORK_FOLDER
# Kills the installer (SIGKILL) while it decodes a sample whose stream arrives slowly (through a FIFO),
# then checks that no WAVE file stands under the sample's name, only its temporary file, and that the
# next run of the same installation removes that temporary file and installs the sample.
set -u
make_demo=$1
installer=$2
source=$3
work=$4

log=$work/stderr.txt
log_prefix="installer: "
source "$(dirname "$0")/../support/display_test.sh"

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
install() {
    "$installer" --medium "$work/medium" --registry "$work/registry.db" --silent --accept-licence \
        --location "$target" --jobs 1 >"$work/stdout.txt" 2>"$log"
}

# The first sample decoded: its stream comes through a FIFO, half of it at once, the rest never.
sample="$work/medium/Library/Cymbals/Crash/Bow/1-Soft.zdrca"
[[ -f "$sample" ]] || fail "the demo medium has no $sample"
cp "$sample" "$work/sample.zdrca"
rm "$sample"
mkfifo "$sample"
size=$(stat -c %s "$work/sample.zdrca")
(head -c $((size / 2)) "$work/sample.zdrca"; exec sleep 60) >"$sample" &
writer=$!

install &
pid=$!
wave="$target/Library/Cymbals/Crash/Bow/1-Soft.wav"
temporary="$target/Library/Cymbals/Crash/Bow/.kis-tmp-1-Soft.wav"
for _ in $(seq 200); do
    [[ -e "$temporary" ]] && break
    sleep 0.1
done
[[ -e "$temporary" ]] || fail "the decode never began"
kill -9 "$pid"
wait "$pid" 2>/dev/null
pid=
kill "$writer" 2>/dev/null
wait "$writer" 2>/dev/null
[[ -e "$wave" ]] && fail "a WAVE file stands under the sample's name after the kill"

rm "$sample"
cp "$work/sample.zdrca" "$sample"
install || fail "the installation after the kill ended with $?"
[[ -f "$wave" ]] || fail "the sample was not installed by the next run"
leftovers=$(find "$target" -name '.kis-tmp-*' | wc -l)
[[ $leftovers -eq 0 ]] || fail "$leftovers temporary files were left"
echo "killed during a decode: only a temporary file, removed by the next run"
exit 0
