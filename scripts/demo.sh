#!/usr/bin/env bash
# The launcher's main job as far as it goes today: packs the example instruction script into a
# launcher with wizpack and runs it with the console host, natively and, as wizlaunch.exe, under
# Wine: the win32 build where the host runs 32-bit code, the win64 build where it cannot. Run
# scripts/build.sh first. Every failing step stops the demo with a message and a non-zero exit.
set -euo pipefail
cd "$(dirname "$0")/.."
WIZ_ROOT=$PWD
. scripts/wine-env.sh

die() {
    echo "demo: $*" >&2
    exit 1
}

work=$(mktemp -d "${TMPDIR:-/tmp}/wizdemo.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp examples/hello/instructions.tag "$work/"

echo "== native launcher"
[ -x build/native/wizlaunch ] && [ -x build/native/wizpack ] ||
    die "the native build is missing: run bash scripts/build.sh first"
build/native/wizpack -o "$work/hello" build/native/wizlaunch \
    --type instructions "$work/instructions.tag" || die "wizpack failed"
build/native/wizpack --list "$work/hello" || die "wizpack --list failed"
code=0
(cd "$work" && ./hello -console -cv:log hello.log) || code=$?
echo "exit code: $code"
echo "-- log:"
cat "$work/hello.log" || die "the launcher wrote no log"
[ "$code" = 0 ] || die "the native launcher failed with exit code $code"

wiz_windows_target
target=$WIZ_WINDOWS_TARGET
echo "== Windows launcher ($target build) under Wine: $WIZ_WINDOWS_REASON"
[ -f "build/$target/wizlaunch.exe" ] && [ -f "build/$target/wizpack.exe" ] ||
    die "the $target build is missing: run bash scripts/build.sh first"
wiz_wine_select "$target"
wine_start || die "Wine cannot start ($WIZ_WINE)"
trap 'wine_stop; rm -rf "$work"' EXIT
cp "build/$target/wizlaunch.exe" "build/$target/wizpack.exe" "$work/"
(cd "$work" && wiz_wine wizpack.exe -o hello.exe wizlaunch.exe --type instructions instructions.tag) ||
    die "wizpack.exe failed under Wine"
code=0
(cd "$work" && wiz_wine hello.exe -console -cv:log hello-win.log) || code=$?
echo "exit code: $code"
echo "-- log:"
tr -d '\r' <"$work/hello-win.log" || die "the Windows launcher wrote no log"
[ "$code" = 0 ] || die "the Windows launcher failed with exit code $code"
