#!/usr/bin/env bash
# check_demo_test.sh MAKE_DEMO INSTALLER SOURCE_DIR WORK_FOLDER
# Generates the demo medium and checks its script with --check --werror: the demo must check clean, and
# the check must leave the medium and the settings store as they were.
set -u
make_demo=$1
installer=$2
source=$3
work=$4

log=$work/output.txt
log_prefix="check: "
source "$(dirname "$0")/../support/display_test.sh"

rm -rf "$work"
mkdir -p "$work"
"$make_demo" "$source/examples/demo" "$work/medium" >/dev/null || fail "the demo medium could not be made"
before=$(find "$work/medium" -printf '%p %s %T@\n' | sort)

"$installer" --check --werror --medium "$work/medium" --registry "$work/registry.db" >"$log" 2>"$work/stderr.txt"
status=$?
[[ $status -eq 0 ]] || fail "the check ended with $status"
[[ "$(cat "$log")" == "0 error(s), 0 warning(s)" ]] || fail "the demo does not check clean"
[[ "$(find "$work/medium" -printf '%p %s %T@\n' | sort)" == "$before" ]] || fail "the check changed the medium"
[[ ! -e "$work/registry.db" ]] || fail "the check wrote the settings store"
echo "the demo checks clean"
exit 0
