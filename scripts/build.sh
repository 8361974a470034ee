#!/usr/bin/env bash
# Builds KIS. Usage: scripts/build.sh [release|sanitize|tsan] (default release).
# The trees go to build/release, build/sanitize and build/tsan. The ThreadSanitizer tree builds only what
# scripts/test.sh runs under it: the threaded suites, the program and the demo medium maker.
set -euo pipefail
cd "$(dirname "$0")/.."

kind=${1:-release}
targets=()
case "$kind" in
    release) flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIS_SANITIZE=OFF) ;;
    sanitize) flags=(-DCMAKE_BUILD_TYPE=Debug -DKIS_SANITIZE=ON -DKIS_BENCH=OFF) ;;
    tsan) flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIS_TSAN=ON -DKIS_BENCH=OFF)
        targets=(--target foundation_tests engine_tests ui_tests kis-installer kis_make_demo) ;;
    *) echo "usage: $0 [release|sanitize|tsan]" >&2; exit 2 ;;
esac

launcher=()
if command -v ccache >/dev/null 2>&1; then launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
generator=()
if command -v ninja >/dev/null 2>&1; then generator=(-G Ninja); fi
if [[ ! -f build/$kind/CMakeCache.txt ]]; then
    cmake -S . -B "build/$kind" "${generator[@]}" "${launcher[@]}" "${flags[@]}"
fi
cmake --build "build/$kind" -j "$(nproc)" "${targets[@]}"
