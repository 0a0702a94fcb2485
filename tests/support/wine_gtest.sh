#!/usr/bin/env bash
# Runs the unit-test program under Wine for ctest: wine_gtest.sh LOADER PROGRAM ARGS...
#
# Now and then Wine's loader itself dies of SIGSEGV while the Windows process exits, after the
# test has run and printed its verdict (seen a few times in hundreds of runs, only while other
# Wine processes start and stop beside it, never in the test's own code: an access violation
# there would come back as an exception of the Windows process, not as a Linux signal). When
# that happens to a test that passed, the run is repeated once and says so; every other outcome,
# a second crash included, is reported as it is.
set -u
out=$(mktemp "${TMPDIR:-/tmp}/wine-gtest.XXXXXX") || exit 1
trap 'rm -f "$out"' EXIT
for attempt in 1 2; do
    "$@" >"$out" 2>&1
    status=$?
    cat "$out"
    if [ "$attempt" = 1 ] && [ "$status" = 139 ] &&
        grep -q '^\[  PASSED  \]' "$out" && ! grep -q '^\[  FAILED  \]' "$out"; then
        echo "wine_gtest: the Wine loader died of SIGSEGV after the test passed; running it once more"
        continue
    fi
    break
done
exit "$status"
