#!/usr/bin/env bash
# The Windows launcher loads no DLL from its own directory.
#
#   dll_search.sh imports OBJDUMP LAUNCHER
#   dll_search.sh console WINE LAUNCHER WIZPACK MARKER_DLL
#
# imports: the launcher imports kernel32 and msvcrt alone; every other system DLL is
# delay-loaded, so nothing else is loaded before its first line runs.
# console: a packed launcher beside copies of the marker DLL named like the system DLLs it uses
# (cases/dll_search_common.sh), run in that directory with Wine told to prefer them: it works
# (-console -cv:version prints the version; -cv:in without a name prints string 22, which
# needs user32) and no marker is written.
set -u

case_name=$1

test_name=dll_search.$case_name
. "$(dirname "${BASH_SOURCE[0]}")/../support/e2e.sh"
. "$(dirname "${BASH_SOURCE[0]}")/dll_search_common.sh"

case $case_name in
imports)
    objdump=$2
    launcher=$3
    imports=$("$objdump" -p "$launcher" | sed -n 's/^[[:space:]]*DLL Name: //p' |
        tr '[:upper:]' '[:lower:]' | sort | tr '\n' ' ')
    [ "$imports" = "kernel32.dll msvcrt.dll " ] ||
        fail "the launcher imports [$imports], expected only [kernel32.dll msvcrt.dll]"
    ;;
console)
    wine=$2
    launcher=$(realpath "$3")
    wizpack=$(realpath "$4")
    marker=$(realpath "$5")
    work=$(mktemp -d "${TMPDIR:-/tmp}/wiz-dll-search.XXXXXX")
    trap 'rm -rf "$work"' EXIT
    cd "$work" || exit 1

    printf 'INSTRUCTIONS:\nSET N1 = 1\n/:\n' >script.tag
    "$wine" "$wizpack" -o setup.exe --style 0 "$launcher" --type instructions script.tag \
        >pack.log 2>&1 || fail "wizpack: $(cat pack.log)"
    mkdir app
    mv setup.exe app/
    plant_marker_dlls app "$marker" || fail "cannot copy the marker DLL"
    cd app || exit 1

    # run_setup ARGS...: the launcher in its own directory with the planted DLLs preferred (see run
    # in e2e.sh); fails when it loaded one of them.
    run_setup() {
        WINEDLLOVERRIDES=$(planted_dll_overrides) run "$wine" ./setup.exe "$@"
        local markers
        markers=$(loaded_markers .)
        [ -z "$markers" ] || fail "$* loaded planted DLLs: $(echo $markers)"
    }
    run_setup -console -cv:version
    expect 0 2.52
    run_setup -console -cv:in
    expect 255 "An input file name must follow the '-in' command line option."
    ;;
*)
    fail "unknown case"
    ;;
esac
passed
