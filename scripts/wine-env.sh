# Sourced by the scripts that run Windows executables: a project-local 32-bit Wine prefix,
# quiet and without installer prompts.
: "${WIZ_ROOT:=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
export WINEPREFIX="${WINEPREFIX:-$WIZ_ROOT/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# Creates the prefix once and keeps a wineserver running, so each Wine start costs milliseconds.
wine_start() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    WINEARCH=win32 wineserver -p 2>/dev/null || true
    WINEARCH=win32 wineboot -i >/dev/null 2>&1
  else
    # An already running wineserver for this prefix is fine.
    wineserver -p 2>/dev/null || true
    wineboot -i >/dev/null 2>&1 || true
  fi
}

wine_stop() { wineserver -k 2>/dev/null || true; }
