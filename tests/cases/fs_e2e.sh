#!/usr/bin/env bash
# End-to-end runs of extraction and self-removal with the built executables.
#
#   fs_e2e.sh CASE LAUNCHER WIZPACK [EMULATOR]
#
# EMULATOR is empty for the native build and wine for the Windows build. Each case works in a
# fresh temporary directory (removed afterwards); the programs get paths relative to it, which
# mean the same natively and under Wine.
#
# extract  packs documents and binary payload into a launcher, runs "-cv:extract" and checks
#          that every entry is written byte for byte and that "input.tag" names the documents
#          and runs the embedded script again with "-cv:in".
# orig     starts a copy of the launcher with "-cv:orig"; once it has ended, the copy and the
#          directory holding it must disappear (natively at once, under Wine through the removal
#          batch file, which waits for the launcher file to be unlocked).
set -u

case_name=$1
launcher=$(realpath "$2")
wizpack=$(realpath "$3")
emulator=${4:-}

work=$(mktemp -d "${TMPDIR:-/tmp}/wiz-fs-e2e.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

test_name=fs.$case_name
. "$(dirname "${BASH_SOURCE[0]}")/../support/e2e.sh"

exe=launcher
[ -n "$emulator" ] && exe=launcher.exe
cp "$launcher" "$exe"

case $case_name in
extract)
    mkdir src out
    printf 'INSTRUCTIONS:\n  INITIALIZE_UI\n/:\n' >src/script.tag
    printf 'DESC: Java 8\nJVM_EXE:  bin/java\nJVM_VERSION:  1.8\n' >src/first.jvm
    printf 'DESC: Java 11\nJVM_EXE:  bin/java\nJVM_VERSION:  11\n' >src/second.jvm
    printf 'COMMAND:  java -jar app.jar\n' >src/launch.tag
    # Binary payload over several copy chunks, and an empty entry.
    head -c 200000 /dev/urandom >src/app.jar
    : >src/Verify.jar
    cp "$wizpack" "wizpack$([ -n "$emulator" ] && echo .exe)"
    run $emulator ./wizpack* -o out/packed.exe "$exe" \
        --type instructions src/script.tag --type jvm src/first.jvm \
        --type application src/app.jar --type jvm src/second.jvm \
        --type launchscript src/launch.tag --type verification src/Verify.jar
    [ "$code" = 0 ] || fail "wizpack: exit code $code; output: [$out]"
    mkdir run
    cd run || exit 1
    run $emulator ../out/packed.exe -console -cv:extract
    [ "$code" = 0 ] || fail "extract: exit code $code; output: [$out]"
    for f in script.tag first.jvm second.jvm launch.tag app.jar Verify.jar; do
        cmp -s "../src/$f" "$f" || fail "$f differs from what was packed"
    done
    want=$'ACTION:  RUN_INSTRUCTIONS\nINSTRUCTIONS:  script.tag\nJVM:\n  first.jvm\n  second.jvm\n/:\nLAUNCHSCRIPT:  launch.tag\n'
    [ "$(tr -d '\r' <input.tag; echo .)" = "$want." ] || fail "input.tag: [$(cat input.tag)]"
    extra=$(ls | grep -v -x -e script.tag -e first.jvm -e second.jvm -e launch.tag \
        -e app.jar -e Verify.jar -e input.tag)
    [ -z "$extra" ] || fail "unexpected files: $extra"
    run $emulator ../out/packed.exe -console -cv:in input.tag
    [ "$code" = 0 ] || fail "-cv:in input.tag: exit code $code; output: [$out]"
    # The script's INITIALIZE_UI shows the initializing status (with the launch script's title).
    case $out in
    *Initializing*) ;;
    *) fail "-cv:in input.tag: output [$out]" ;;
    esac
    ;;
orig)
    mkdir copy
    mv "$exe" "copy/$exe"
    run $emulator "copy/$exe" -console -cv:orig original.exe -cv:version
    [ "$code" = 0 ] || fail "exit code $code; output: [$out]"
    # The removal batch file retries once a second until the file is unlocked.
    for _ in $(seq 1 60); do
        [ -e copy ] || break
        sleep 0.5
    done
    [ -e copy ] && fail "the launcher copy is still there: $(ls -la copy)"
    if [ -n "$emulator" ]; then
        # The batch file removes itself as well.
        left=$(find "${WINEPREFIX:-$HOME/.wine}/drive_c/users" -name 'LRE*.bat' -newer "$work" 2>/dev/null)
        [ -z "$left" ] || fail "batch file left behind: $left"
    fi
    ;;
*)
    fail "unknown case"
    ;;
esac
passed
