# Sourced by every script that runs Windows executables: the one place that names the Wine
# loader, the wineserver and the prefixes.
#
#   WIZ_WINE     the Wine loader. The win32 build runs under the 32-bit loader in a 32-bit prefix,
#                the win64 build under the 64-bit loader in a 64-bit prefix. The `wine` wrapper is
#                never used: it always prefers the 32-bit loader, which is itself a 32-bit Linux
#                program and cannot start on a host that runs 64-bit code only.
#   WINEPREFIX   a project-local prefix of the loader's kind.
#
# ctest gets both from the test preset (win32, win64); the project's scripts call
# wiz_windows_target and wiz_wine_select.
: "${WIZ_ROOT:=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

WIZ_WINE32=/usr/lib/wine/wine
WIZ_WINE64=/usr/lib/wine/wine64
# Debian's wineserver script starts the 64-bit server where it is installed; it serves prefixes
# of both kinds.
WIZ_WINESERVER=/usr/lib/wine/wineserver

# Whether this host runs 32-bit programs. Wine's 32-bit loader is one, so it answers for all.
wiz_host_runs_32bit() { "$WIZ_WINE32" --version >/dev/null 2>&1; }

# Chooses the Windows build whose tests run on this host: win32 (the product) where the host
# runs 32-bit code, win64 where it cannot. Sets WIZ_WINDOWS_TARGET and WIZ_WINDOWS_REASON; a
# WIZ_WINDOWS_TARGET set beforehand (win32 or win64) chooses by hand.
wiz_windows_target() {
    if [ -n "${WIZ_WINDOWS_TARGET:-}" ]; then
        case $WIZ_WINDOWS_TARGET in
        win32 | win64) WIZ_WINDOWS_REASON="chosen by WIZ_WINDOWS_TARGET" ;;
        *)
            echo "WIZ_WINDOWS_TARGET must be win32 or win64, not '$WIZ_WINDOWS_TARGET'" >&2
            return 1
            ;;
        esac
    elif wiz_host_runs_32bit; then
        WIZ_WINDOWS_TARGET=win32
        WIZ_WINDOWS_REASON="this host runs 32-bit code"
    else
        WIZ_WINDOWS_TARGET=win64
        WIZ_WINDOWS_REASON="this host cannot run 32-bit code: $WIZ_WINE32 --version fails"
    fi
}

# Sets WIZ_WINE and WINEPREFIX for the programs of one Windows build (win32 or win64). The
# prefixes are the ones the test presets name.
wiz_wine_select() {
    case $1 in
    win32) export WIZ_WINE=$WIZ_WINE32 WINEPREFIX=$WIZ_ROOT/build/wineprefix ;;
    win64) export WIZ_WINE=$WIZ_WINE64 WINEPREFIX=$WIZ_ROOT/build/wineprefix64 ;;
    *)
        echo "wiz_wine_select: unknown Windows build '$1'" >&2
        return 1
        ;;
    esac
}

# The prefix architecture that the loader needs.
wiz_wine_arch() {
    case ${WIZ_WINE:?WIZ_WINE names no Wine loader} in
    *64) echo win64 ;;
    *) echo win32 ;;
    esac
}

wiz_wine() { "${WIZ_WINE:?WIZ_WINE names no Wine loader}" "$@"; }
wiz_wineserver() { "$WIZ_WINESERVER" "$@"; }

# Creates WINEPREFIX with the loader's architecture when it does not exist yet. The caller
# starts and stops its wineserver.
wiz_prefix_create() {
    [ -f "$WINEPREFIX/system.reg" ] && return 0
    mkdir -p "$WINEPREFIX"
    WINEARCH=$(wiz_wine_arch) wiz_wine wineboot -i >/dev/null 2>&1
    wiz_wineserver -w 2>/dev/null
    [ -f "$WINEPREFIX/system.reg" ]
}

# Takes the prefix PREFIX for the calling test alone (a lock held until the test's shell ends)
# and leaves it two drives: C: (its own drive_c) and M:, the folder TREE (made when missing). The
# caller's EXIT trap removes the M: link and stops the wineserver.
wine_drives_prefix() {
    export WINEPREFIX=$1
    exec 9>"$WINEPREFIX.lock"
    flock 9
    wiz_prefix_create || return 1
    wiz_wineserver -k 2>/dev/null
    wiz_wineserver -w 2>/dev/null
    rm -f "$WINEPREFIX/dosdevices/z:"
    mkdir -p "$2"
    ln -sfn "$2" "$WINEPREFIX/dosdevices/m:"
}

# Keeps a wineserver running for WINEPREFIX (created first when missing), so that each start of
# a Windows program costs milliseconds instead of seconds.
wine_start() {
    wiz_prefix_create || {
        echo "cannot create the Wine prefix $WINEPREFIX with $WIZ_WINE" >&2
        return 1
    }
    wiz_wineserver -p 2>/dev/null || true
    wiz_wine wineboot -i >/dev/null 2>&1 || true
}

wine_stop() { wiz_wineserver -k 2>/dev/null || true; }

# A loader given without a prefix (a test run outside the test presets) gets the project's
# prefix of its kind.
if [ -n "${WIZ_WINE:-}" ] && [ -z "${WINEPREFIX:-}" ]; then
    if [ "$(wiz_wine_arch)" = win64 ]; then
        export WINEPREFIX=$WIZ_ROOT/build/wineprefix64
    else
        export WINEPREFIX=$WIZ_ROOT/build/wineprefix
    fi
fi
