# Sourced by the Windows 9x test scripts, after WIZ_WINE (the build's Wine loader) and WINEPREFIX
# are set: makes WINEPREFIX a prefix of its own with Wine reporting the Windows 98 version,
# created once and reused by later runs. The caller has sourced tests/support/e2e.sh.
#
# The 9x family runs 32-bit programs only, and Wine reports that version only to them: the cases
# need the 32-bit launcher under the 32-bit loader. With the 64-bit build they are skipped (exit
# code 77) with a message that says why.
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"

if [ "$(wiz_wine_arch)" != win32 ]; then
    if wiz_host_runs_32bit; then
        skip "the Windows 9x family cases need the 32-bit launcher; run them with the win32 preset"
    fi
    skip "the Windows 9x family cases need the 32-bit launcher, and this host cannot run 32-bit code"
fi

if [ ! -f "$WINEPREFIX/system.reg" ] || [ ! -f "$WINEPREFIX/.win98" ]; then
    rm -rf "$WINEPREFIX"
    wiz_prefix_create || fail "cannot create the Wine prefix"
    wiz_wine reg add 'HKCU\Software\Wine' /v Version /d win98 /f >/dev/null 2>&1 ||
        fail "cannot set the Windows version"
    wiz_wineserver -w
    touch "$WINEPREFIX/.win98"
fi
