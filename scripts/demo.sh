#!/usr/bin/env bash
# The launcher's main job as far as it goes today: packs the example instruction script into a
# launcher with wizpack and runs it with the console host, natively and (when built) the Windows
# executable under Wine. Run scripts/build.sh first.
set -euo pipefail
cd "$(dirname "$0")/.."
WIZ_ROOT=$PWD
work=$(mktemp -d "${TMPDIR:-/tmp}/wizdemo.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp examples/hello/instructions.tag "$work/"

echo "== native launcher"
build/native/wizpack -o "$work/hello" build/native/wizlaunch --type instructions "$work/instructions.tag"
build/native/wizpack --list "$work/hello"
(cd "$work" && ./hello -console -cv:log hello.log; echo "exit code: $?")
echo "-- log:"; cat "$work/hello.log"

if [ -x build/win32/wizlaunch.exe ] && command -v wine >/dev/null 2>&1; then
  echo "== Windows launcher under Wine"
  . scripts/wine-env.sh
  wine_start
  cp build/win32/wizlaunch.exe build/win32/wizpack.exe "$work/"
  (cd "$work" && wine wizpack.exe -o hello.exe wizlaunch.exe --type instructions instructions.tag &&
     wine hello.exe -console -cv:log hello-win.log; echo "exit code: $?")
  echo "-- log:"; tr -d '\r' < "$work/hello-win.log"
fi
