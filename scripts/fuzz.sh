#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build/fuzz and runs each from its seeds in fuzz/seeds/: the
# picture readers for FUZZ_SECONDS (default 30) seconds, the install script parser for
# SCRIPT_FUZZ_SECONDS (default 60), as is the script checker. Skips cleanly when clang is missing.
# A crash, hang, leak or sanitizer report fails the script; the input that caused it is kept in
# build/fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v clang >/dev/null 2>&1 || ! command -v clang++ >/dev/null 2>&1; then
    echo "fuzz: clang not found, skipping the fuzz targets"
    exit 0
fi

seconds=${FUZZ_SECONDS:-30}
generator=()
if command -v ninja >/dev/null 2>&1; then generator=(-G Ninja); fi

echo "== fuzz build"
if [[ ! -f build/fuzz/CMakeCache.txt ]]; then
    CC=clang CXX=clang++ cmake -S . -B build/fuzz "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKIS_FUZZ=ON -DKIS_TESTS=OFF -DKIS_BENCH=OFF -DKIS_SANITIZE=OFF -DKIS_WERROR=OFF
fi
cmake --build build/fuzz -j "${FUZZ_JOBS:-2}" --target TargaReaderFuzz JpegReaderFuzz ScriptParserFuzz \
    ScriptCheckerFuzz

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

run() {
    local target=$1 seeds=$2 seconds=${3:-$seconds}
    local corpus=build/fuzz/corpus/$target artifacts=build/fuzz/artifacts log=build/fuzz/$target.log
    mkdir -p "$corpus" "$artifacts"
    echo "== fuzz $target for ${seconds}s"
    # The readers write a line to the standard error stream for every refused input, so the run's own
    # output goes to a log that is shown only when something was found.
    if ! "build/fuzz/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$artifacts/$target-" "$corpus" "$seeds" >"$log" 2>&1; then
        grep -v "^Failed to load image" "$log" | tail -n 80
        echo "fuzz: $target found a failure (input kept in $artifacts)" >&2
        return 1
    fi
    grep -E "^(#[0-9]+ *DONE|Done [0-9]+ runs)" "$log" | tail -n 1 || true
}

run TargaReaderFuzz fuzz/seeds/targa
run JpegReaderFuzz fuzz/seeds/jpeg
run ScriptParserFuzz fuzz/seeds/script "${SCRIPT_FUZZ_SECONDS:-60}"
run ScriptCheckerFuzz fuzz/seeds/script "${SCRIPT_FUZZ_SECONDS:-60}"
echo "== fuzz: no failures"
