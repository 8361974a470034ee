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
        scripts/xvfb-test.sh ctest --test-dir "build/$kind" -R '^(gtk_window_probe|gtk_wizard_e2e|gtk_uninstall_e2e|gtk_keyboard_e2e)$' --output-on-failure
    fi
done

# ThreadSanitizer: the suites whose code runs on several threads (threads and the job server, the
# installer thread, the parallel decoding, the panels that receive rows and texts from the installer
# thread) and one unattended installation with two decoders.
echo "== ThreadSanitizer build"
scripts/build.sh tsan
echo "== ThreadSanitizer tests"
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/scripts/tsan.supp}
build/tsan/tests/foundation_tests --gtest_brief=1 --gtest_filter='VThread*:VJobServer*:VCriticalSection*:VLock*:VMutex*:VSemaphore*'
build/tsan/tests/engine_tests --gtest_brief=1 --gtest_filter='InstallerThread*:ZdrcaCopyDirectory*:FlacDecoder*'
build/tsan/tests/ui_tests --gtest_brief=1 --gtest_filter='ProcessPanelTest*:InstallerUI*:CZDRKitPieceViewPanel*:ProgressReporter*'
bash tests/e2e/silent_jobs_test.sh build/tsan/examples/kis_make_demo build/tsan/ui/kis-installer "$PWD" \
    build/tsan/silent_jobs_e2e 2

# The Windows program, cross-built and tested under Wine.
scripts/test-win32.sh

if [[ -x scripts/fuzz.sh ]]; then
    scripts/fuzz.sh
fi
echo "== all tests passed"
