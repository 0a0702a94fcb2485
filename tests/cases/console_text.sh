#!/usr/bin/env bash
# The console host's texts on a Windows console and on a pipe, under Wine.
#
#   console_text.sh WINE LAUNCHER PROBE
#
# `-console -cv:log` prints string 14 in the user's language and then an empty line. For each
# locale below (languages whose texts are outside ASCII, with different ANSI code pages):
# console  the probe (cases/console_text_probe.cpp) runs the launcher on a console and reads
#          back the characters the console shows: they must be the text itself, not its ANSI
#          bytes read in the console's OEM code page. Wine gives a program a console when it is
#          started on a terminal, so the probe runs under script(1) and its pseudo-terminal.
# pipe     with standard output a pipe, the bytes must be the text in the ANSI code page,
#          unchanged, as other programs expect them.
# Exit code 77 (skip) when script(1) is not installed.
set -u

wine=$1
launcher=$(realpath "$2")
probe=$(realpath "$3")
test_name=console_text
. "$(dirname "${BASH_SOURCE[0]}")/../support/e2e.sh"

command -v script >/dev/null || skip "script(1) is not installed (apt-get install bsdutils)"

work=$(mktemp -d "${TMPDIR:-/tmp}/wiz-console-text.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
cp "$launcher" wizlaunch.exe
cp "$probe" probe.exe

# check LOCALE CODEPAGE TEXT: string 14 of the locale's language is TEXT (UTF-8), its ANSI code
# page CODEPAGE.
check() {
    local locale=$1 codepage=$2 text=$3
    printf '%s\n\n' "$text" | iconv -f UTF-8 -t "CP$codepage" >pipe.expected ||
        fail "the text is not in code page $codepage"
    LC_ALL=$locale "$wine" ./wizlaunch.exe -console -cv:log </dev/null | tr -d '\r' >pipe.out
    cmp -s pipe.out pipe.expected ||
        fail "$locale, pipe: the bytes are [$(od -An -c pipe.out | head -c 600)], expected [$(od -An -c pipe.expected | head -c 600)]"

    rm -f report.txt
    SHELL=/bin/bash LC_ALL=$locale script -qec \
        "$(printf '%q ' "$wine" ./probe.exe report.txt ./wizlaunch.exe -console -cv:log)" \
        /dev/null </dev/null >script.log 2>&1
    [ -f report.txt ] || fail "$locale, console: no report from the probe: $(head -c 600 script.log)"
    # The exit code is -1, as Windows reports it.
    printf '%s\n\n\nexit=4294967295\n' "$text" >console.expected
    cmp -s report.txt console.expected ||
        fail "$locale, console: the console shows [$(cat report.txt)], expected [$(cat console.expected)]"
    echo "ok $locale"
}

check de_DE.UTF-8 1252 \
    "Nach der Option -log muss in der Befehlszeile ein Name für die Protokolldatei angegeben werden."
check ru_RU.UTF-8 1251 \
    "После параметра -log в командной строке необходимо указать имя файла журнала."
passed
