# Sourced by the Windows 9x test scripts: makes WINEPREFIX (set by the caller) a prefix of its own
# with Wine reporting the Windows 98 version, created once and reused by later runs.
# Needs a function `fail` from the caller.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

if [ ! -f "$WINEPREFIX/system.reg" ] || [ ! -f "$WINEPREFIX/.win98" ]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    WINEARCH=win32 wineboot -i >/dev/null 2>&1 || fail "cannot create the Wine prefix"
    wine reg add 'HKCU\Software\Wine' /v Version /d win98 /f >/dev/null 2>&1 ||
        fail "cannot set the Windows version"
    wineserver -w
    touch "$WINEPREFIX/.win98"
fi
