#!/usr/bin/env bash
# Installs what is missing, builds KIS normally and with AddressSanitizer and UndefinedBehaviorSanitizer,
# and runs every test of both builds. Fails on the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

for kind in release sanitize; do
    echo "== $kind build"
    scripts/build.sh "$kind"
    echo "== $kind tests"
    ctest --test-dir "build/$kind" --output-on-failure -j 2
done

if [[ -x scripts/fuzz.sh ]]; then
    scripts/fuzz.sh
fi
echo "== all tests passed"
