#!/usr/bin/env bash
# Runs one test executable for ctest and decides its outcome from both what it says and how it ends.
# QtTest's totals line must show at least one test run and none failed, and the process must exit
# with status 0: a binary that passes its functions and then crashes in teardown, or that
# LeakSanitizer reports at exit, has failed.
#   run_test.sh EXECUTABLE [ARGS...]
set -u
out=$(mktemp "${TMPDIR:-/tmp}/taloma-test.XXXXXX")
trap 'rm -f "$out"' EXIT

# The output still reaches ctest as it is written (a test killed at its timeout keeps what it said).
"$@" 2>&1 | tee "$out"
status=${PIPESTATUS[0]}

if [ "$status" -ne 0 ]; then
    if [ "$status" -gt 128 ]; then
        echo "run_test: $1 was ended by signal $((status - 128))"
    else
        echo "run_test: $1 exited with status $status"
    fi
    exit 1
fi
if ! grep -Eq 'Totals: [1-9][0-9]* passed, 0 failed' "$out"; then
    echo "run_test: $1 exited with status 0 but its totals do not show a passing run"
    exit 1
fi
exit 0
