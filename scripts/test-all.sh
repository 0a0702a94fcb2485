#!/usr/bin/env bash
# Builds both targets and runs every test: natively (plain and with sanitizers), a short fuzz run,
# then the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
WIZ_ROOT=$PWD
. scripts/wine-env.sh

bash scripts/build.sh

status=0
echo "== native tests"
ctest --preset native -j2 || status=1

echo "== native tests with AddressSanitizer and UBSan"
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan -j2 || status=1

echo "== fuzz smoke (tag document reader)"
bash scripts/fuzz-smoke.sh 15 || status=1

echo "== win32 tests (Wine)"
wine_start
trap wine_stop EXIT
ctest --preset win32 -j2 || status=1
exit $status
