#!/usr/bin/env bash
# Checks the release artifacts of `scripts/build.sh release` (build/release): the versions they
# report, the Windows launcher's imports (only KERNEL32 and msvcrt load the usual way), that no
# launcher carries a test seam, and the example packed from its manifest with the release wizpack, run on the release Linux launcher
# with this machine's Java runtime (the sample wizard must start). The Windows launcher runs
# under Wine where the host runs 32-bit code.
set -euo pipefail
cd "$(dirname "$0")/.."
WIZ_ROOT=$PWD
. scripts/wine-env.sh

test_name=check-release
. tests/support/e2e.sh

rel=build/release
[ -x $rel/linux/wizlaunch ] && [ -f $rel/windows/wizlaunch.exe ] ||
    fail "no release artifacts: run bash scripts/build.sh release"
version=$(sed -n 's/^project(wizlaunch VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

[ "$($rel/linux/wizpack --version)" = "wizpack $version" ] || fail "wizpack --version"
[ "$($rel/linux/wizlaunch -cv:version)" = "$version" ] || fail "wizlaunch -cv:version"
imports=$(i686-w64-mingw32-objdump -p $rel/windows/wizlaunch.exe | sed -n 's/^\tDLL Name: //p' |
    sort -f | tr '\n' ' ')
[ "$imports" = "KERNEL32.dll msvcrt.dll " ] || fail "the Windows launcher imports $imports"
strings -el $rel/windows/wizlaunch.exe | grep -qx "$version" || fail "no version information"
# The test seams are left out of the release (WIZ_TEST_SEAMS=OFF in the release presets): no
# launcher holds the name by which a test switches one.
seams=(WIZ_SEARCH_DRIVES)
for launcher in $rel/linux/wizlaunch $rel/windows/wizlaunch.exe; do
    for seam in "${seams[@]}"; do
        ! grep -aqF "$seam" "$launcher" ||
            fail "$launcher contains the test seam $seam (its preset must set WIZ_TEST_SEAMS=OFF)"
    done
done

work=$(mktemp -d "${TMPDIR:-/tmp}/wiz-release.XXXXXX")
trap 'rm -rf "$work"' EXIT
if [ -f build/native/java/wizard.jar ]; then
    mkdir -p "$work/build/java"
    cp $rel/linux/wizlaunch "$work/build/"
    cp build/native/java/Verify.jar build/native/java/wizard.jar "$work/build/java/"
    $rel/linux/wizpack -o "$work/setup" --manifest examples/linux.manifest -D "BUILD=$work/build"
    out=$(cd "$work" && ./setup -cv:tempdir "$work" </dev/null 2>&1) || fail "the example failed: $out"
    grep -q "Sample wizard is running" <<<"$out" || fail "the sample wizard did not start: $out"
    echo "check-release: the example packed by the release wizpack ran the sample wizard"
else
    echo "check-release: no build/native/java/wizard.jar (no Java compiler): example run skipped"
fi

if wiz_host_runs_32bit; then
    wiz_wine_select win32
    out=$(WINEDEBUG=-all wiz_wine $rel/windows/wizlaunch.exe -console -cv:version | tr -d '\r')
    [ "$out" = "$version" ] || fail "wizlaunch.exe -cv:version under Wine: $out"
    out=$(WINEDEBUG=-all wiz_wine $rel/windows/wizpack.exe --version | tr -d '\r')
    [ "$out" = "wizpack $version" ] || fail "wizpack.exe --version under Wine: $out"
else
    echo "check-release: the 32-bit release launcher is not run (this host cannot run 32-bit code)"
fi
printf 'check-release: passed; the Windows launcher is %d bytes\n' "$(stat -c %s $rel/windows/wizlaunch.exe)"
