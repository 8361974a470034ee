#!/usr/bin/env bash
# Runs a command on a virtual X display of its own: scripts/xvfb-test.sh COMMAND [ARGUMENTS...]
# Its exit status is the command's. For the tests that need a display: GTK's unit tests and the end-to-end
# runs of the installer's window.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if (($# == 0)); then
    echo "usage: $0 COMMAND [ARGUMENTS...]" >&2
    exit 2
fi
if ! command -v xvfb-run >/dev/null 2>&1; then
    echo "xvfb-test: xvfb-run is missing (Debian package xvfb)" >&2
    exit 2
fi

# Tests that need a display fail instead of skipping when this is set.
export KIS_EXPECT_DISPLAY=1
# No session bus here: keep GTK's settings in memory and leave the accessibility bus alone.
export GSETTINGS_BACKEND=${GSETTINGS_BACKEND:-memory}
export NO_AT_BRIDGE=${NO_AT_BRIDGE:-1}
# Sanitizer builds: the desktop libraries' lifelong caches are suppressed by whole stack (see the file).
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}fast_unwind_on_malloc=0"
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$root/tests/lsan.supp"

exec xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
