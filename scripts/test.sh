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
    # ctest has no display, so the GTK backend's tests skip there: run them again on a virtual one.
    if command -v xvfb-run >/dev/null 2>&1; then
        echo "== $kind GTK tests under Xvfb"
        scripts/xvfb-test.sh "build/$kind/tests/application_tests" --gtest_brief=1 --gtest_filter='Gtk*'
        scripts/xvfb-test.sh ctest --test-dir "build/$kind" -R '^(gtk_window_probe|gtk_wizard_e2e)$' --output-on-failure
    fi
done

# The Windows program's wizard in a real Win32 window under Wine, on a virtual display, driven to Done and
# its pages compared with the release build's.
echo "== Windows wizard under Wine and Xvfb"
if ! command -v xvfb-run >/dev/null 2>&1; then
    echo "skipped: xvfb-run is missing (Debian package xvfb), so Wine has no display for the window"
elif [[ ! -x /usr/lib/wine/wine64 ]] && ! command -v wine64 >/dev/null 2>&1; then
    echo "skipped: Wine is missing (Debian package wine64)"
else
    scripts/build.sh win32
    # The Win32 window tests make real windows, which Wine makes only on a display.
    if [[ -f build/win32/tests/ctrl_tests.exe ]]; then
        KIS_WINE_DISPLAY=1 scripts/xvfb-test.sh scripts/wine-run.sh build/win32/tests/ctrl_tests.exe --gtest_brief=1
    fi
    scripts/xvfb-test.sh bash tests/e2e/wine_wizard_test.sh build/win32/ui/kis-installer.exe \
        build/release/ui/kis-installer build/release/examples/kis_make_demo "$PWD" "$PWD/build/wine_wizard_e2e"
fi

if [[ -x scripts/fuzz.sh ]]; then
    scripts/fuzz.sh
fi
echo "== all tests passed"
