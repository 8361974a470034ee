#!/usr/bin/env bash
# Builds KIS. Usage: scripts/build.sh [release|sanitize|tsan|win32] (default release).
# The trees go to build/release, build/sanitize, build/tsan and build/win32. The ThreadSanitizer tree builds
# only what scripts/test.sh runs under it: the threaded suites, the program and the demo medium maker.
# build/win32 holds the Windows program, cross-built with MinGW-w64; its libraries come from
# scripts/deps.sh win32.
set -euo pipefail
cd "$(dirname "$0")/.."

kind=${1:-release}
targets=()
case "$kind" in
    release) flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIS_SANITIZE=OFF) ;;
    sanitize) flags=(-DCMAKE_BUILD_TYPE=Debug -DKIS_SANITIZE=ON -DKIS_BENCH=OFF) ;;
    tsan) flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIS_TSAN=ON -DKIS_BENCH=OFF)
        targets=(--target foundation_tests engine_tests ui_tests kis-installer kis_make_demo) ;;
    win32)
        scripts/deps.sh win32
        flags=(-DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
    *) echo "usage: $0 [release|sanitize|tsan|win32]" >&2; exit 2 ;;
esac

launcher=()
if command -v ccache >/dev/null 2>&1; then launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
generator=()
if command -v ninja >/dev/null 2>&1; then generator=(-G Ninja); fi
if [[ ! -f build/$kind/CMakeCache.txt ]]; then
    cmake -S . -B "build/$kind" "${generator[@]}" "${launcher[@]}" "${flags[@]}"
fi
cmake --build "build/$kind" -j "$(nproc)" "${targets[@]}"
