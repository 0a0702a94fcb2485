#!/usr/bin/env bash
# Self-removal on a system of the Windows 9x family: a launcher copy started with "-cv:orig"
# puts its own file and directory into the "[Rename]" section of WinInit.Ini in the Windows
# directory, before the lines already there, for the next start of the system to delete.
# Wine is set to the Windows 98 version in a prefix of its own (created once under the build
# directory, with its own wineserver).
#
#   fs_win98.sh WINE LAUNCHER PREFIX
set -u

export WIZ_WINE=$1
launcher=$(realpath "$2")
export WINEPREFIX=$3

test_name=fs.win98
. "$(dirname "${BASH_SOURCE[0]}")/../support/e2e.sh"

. "$(dirname "${BASH_SOURCE[0]}")/win98_prefix.sh"
ini="$WINEPREFIX/drive_c/windows/WinInit.Ini"
work=""
trap 'wiz_wineserver -k 2>/dev/null; rm -f "$ini"; [ -n "$work" ] && rm -rf "$work"' EXIT

# A directory name that is its own short (8.3) form, so the expected lines are known.
work=$(mktemp -d /tmp/wf98.XXX)
cd "$work" || exit 1
mkdir copy
cp "$launcher" copy/l.exe
# Like a Windows 9x start, the start of a Wine session carries out and removes the section; so
# the session is started before the file is prepared.
wiz_wineserver -p 2>/dev/null
wiz_wine cmd /c exit >/dev/null 2>&1
printf '[Rename]\nNUL=C:\\OLD.TXT\n' >"$ini"

run wiz_wine copy/l.exe -console -cv:orig original.exe -cv:version
[ "$code" = 0 ] || fail "exit code $code; output [$out]"
[ -f copy/l.exe ] || fail "the copy was deleted at once; it is for the next system start"

dir="Z:${work//\//\\}\\copy"
want="[Rename]
NUL=$dir\\l.exe
NUL=$dir
NUL=C:\\OLD.TXT"
got=$(tr -d '\r' <"$ini")
[ "${got,,}" = "${want,,}" ] || fail "WinInit.Ini: [$got], expected [$want]"

# The next "system start" deletes the launcher copy. (Wine's start deletes files only; the
# directory line is for the Windows 9x start, which also removes an empty directory.)
wiz_wineserver -k 2>/dev/null
wiz_wineserver -w 2>/dev/null
wiz_wineserver -p 2>/dev/null
wiz_wine cmd /c exit >/dev/null 2>&1
[ -e copy/l.exe ] && fail "the copy is still there after the next start"
passed
