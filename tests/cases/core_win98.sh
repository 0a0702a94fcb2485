#!/usr/bin/env bash
# The Windows launcher on a system of the Windows 9x family: Wine set to the Windows 98 version
# in a prefix of its own (created once under the build directory, with its own wineserver).
#
#   core_win98.sh WINE LAUNCHER PREFIX
#
# GetVersionExA then reports platform 1, so the launcher splits the ANSI command line with its
# own tokenizer, which leaves out empty tokens: an empty value after "-cv:in" is no value at all
# there, while the NT family's splitter hands it over as an empty argument.
set -u

export WIZ_WINE=$1
launcher=$(realpath "$2")
export WINEPREFIX=$3

test_name=core.win98
. "$(dirname "${BASH_SOURCE[0]}")/../support/e2e.sh"

. "$(dirname "${BASH_SOURCE[0]}")/win98_prefix.sh"
wiz_wineserver -p 2>/dev/null
work=""
trap 'wiz_wineserver -k 2>/dev/null; [ -n "$work" ] && rm -rf "$work"' EXIT

work=$(mktemp -d "${TMPDIR:-/tmp}/wiz-core-win98.XXXXXX")
cd "$work" || exit 1

s22="An input file name must follow the '-in' command line option."
DBGWIN32PPK=debug.log run wiz_wine "$launcher" -console -cv:in ""
expect 255 "$s22"
[ "$(tr -d '\r' <debug.log)" = "Console Launcher Started" ] || fail "debug log: [$(cat debug.log)]"
passed
