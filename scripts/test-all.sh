#!/usr/bin/env bash
# Builds every target and runs every test: natively (plain and with sanitizers), a short fuzz
# run, then the Windows tests under Wine: on win32 (the product) where the host runs 32-bit code,
# on win64 under 64-bit Wine where it cannot (WIZ_WINDOWS_TARGET=win32|win64 chooses by hand).
set -euo pipefail
cd "$(dirname "$0")/.."
WIZ_ROOT=$PWD
. scripts/wine-env.sh

wiz_windows_target
echo "== Windows tests will run on $WIZ_WINDOWS_TARGET ($WIZ_WINDOWS_REASON)"

presets=(native win32)
[ "$WIZ_WINDOWS_TARGET" = win64 ] && presets+=(win64)
bash scripts/build.sh "${presets[@]}" release

status=0
skipped=()
echo "== layering and formatting"
bash scripts/check-layers.sh || status=1
bash scripts/check-format.sh || status=1

echo "== native tests"
ctest --preset native -j2 || status=1

echo "== native tests with AddressSanitizer and UBSan"
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan -j2 || status=1

echo "== fuzz smoke (every fuzz target of tests/fuzz, 10 s each)"
fuzz=0
bash scripts/fuzz-smoke.sh 10 || fuzz=$?
case $fuzz in
0) ;;
77) skipped+=("the fuzz smoke run (no clang with libFuzzer: bash scripts/setup.sh installs it)") ;;
*) status=1 ;;
esac

echo "== $WIZ_WINDOWS_TARGET tests (Wine: $WIZ_WINDOWS_REASON)"
if [ "$WIZ_WINDOWS_TARGET" = win64 ]; then
    echo "   the Windows 9x family cases (core.e2e.win98, fs.e2e.win98) are skipped: they need" \
        "the 32-bit launcher, which runs only where the host runs 32-bit code"
fi
wiz_wine_select "$WIZ_WINDOWS_TARGET"
wine_start
trap wine_stop EXIT
ctest --preset "$WIZ_WINDOWS_TARGET" -j2 || status=1

echo "== release artifacts"
bash scripts/check-release.sh || status=1

for what in "${skipped[@]}"; do echo "== SKIPPED: $what"; done
exit $status
