#!/usr/bin/env bash
# End-to-end runs of the launcher executable: start-up, host choice, option walk and exit codes.
#
#   core_e2e.sh CASE LAUNCHER WIZPACK [EMULATOR]
#
# EMULATOR is empty for the native build and wine for the Windows build. Each case runs in a
# fresh temporary directory (removed afterwards) and compares the whole standard output, with
# carriage returns dropped, and the exit code.
set -u

case_name=$1
launcher=$(realpath "$2")
wizpack=$(realpath "$3")
emulator=${4:-}

work=$(mktemp -d "${TMPDIR:-/tmp}/wiz-core-e2e.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

test_name=core.$case_name
. "$(dirname "${BASH_SOURCE[0]}")/../support/e2e.sh"

# run_launcher ARGS...: runs the launcher (see run in e2e.sh).
run_launcher() { run $emulator "$launcher" "$@"; }

# The English texts of the string table used below.
s8="Could not load the input file."
s13="Invalid action in input file: "
s14="A log file name must be specified after the -log option on the command line."
s22="An input file name must follow the '-in' command line option."
s29="Unable to open input file specified on the command line after the -in option."

# pack_script OUT SCRIPT_LINES STYLE: a copy of the launcher that carries one embedded
# instruction-script document (entry type 0, id 1) and the given style byte, packed by wizpack
# (with paths relative to the working directory, which mean the same under Wine).
pack_script() {
    local outfile=$1 lines=$2 style=$3 suffix=""
    [ -n "$emulator" ] && suffix=.exe
    cp "$launcher" "base$suffix"
    cp "$wizpack" "wizpack$suffix"
    printf 'INSTRUCTIONS:\n%s/:\n' "$lines" >script.tag
    $emulator "./wizpack$suffix" -o "$outfile" --style "$style" "base$suffix" \
        --type instructions --id 1 script.tag >pack.log 2>&1 || fail "wizpack: $(cat pack.log)"
    rm -f "base$suffix" "wizpack$suffix" script.tag pack.log
}

case $case_name in
version)
    run_launcher -console -cv:version
    expect 0 2.52
    ;;
missing-input)
    # The reason is shown behind string 8, then once more by itself.
    run_launcher -console -cv:in missing.tag
    expect 255 "$s8$s29" "$s29"
    run_launcher -console -cv:in ""
    expect 255 "$s8$s29" "$s29"
    ;;
log-without-name)
    # The message, then the default run: no index, no script, result -1.
    run_launcher -console -cv:log
    expect 255 "$s14" ""
    ;;
no-action)
    printf 'SHOW_PROGRESS: 0\n' >doc.tag
    run_launcher -console -cv:in doc.tag
    expect 255 "$s13" "$s13"
    ;;
silent)
    run_launcher -console -cv:silent -cv:version
    expect 0
    run_launcher -console -silent -cv:in missing.tag
    expect 255
    ;;
bare-launcher)
    # Without an index there is no script to run.
    run_launcher -console
    expect 255 ""
    ;;
embedded-script)
    pack_script packed.exe "INITIALIZE_UI
// comment
" 0
    launcher=$PWD/packed.exe
    run_launcher -console
    expect 0 "" "Initializing ..." ""
    ;;
extract-and-rerun)
    # The extract action writes every embedded file and an input document that names them;
    # that document runs the same script again.
    pack_script packed.exe "INITIALIZE_UI
" 0
    launcher=$PWD/packed.exe
    run_launcher -console -cv:extract
    [ "$code" = 0 ] || fail "extract: exit code $code; output: [$out]"
    [ -f script.tag ] && [ -f input.tag ] || fail "extract: missing files: $(ls)"
    run_launcher -console -cv:in input.tag
    expect 0 "" "Initializing ..." ""
    ;;
cut-launcher)
    # An interrupted download: the trailer lacks 1, 4 or 9 bytes (part of the identification, all
    # of it, the whole trailer). Every mode says the file is damaged, and extraction writes
    # nothing.
    pack_script packed.exe "INITIALIZE_UI
" 0
    damaged="Unable to load the launcher file index. The launcher file is damaged or incomplete; download it again."
    size=$(stat -c %s packed.exe)
    for cut in 1 4 9; do
        head -c $((size - cut)) packed.exe >cut.exe
        chmod +x cut.exe
        launcher=$PWD/cut.exe
        run_launcher -console
        expect 255 "$damaged"
        mkdir out && cd out || fail "cannot make out"
        run_launcher -console -cv:extract
        expect 255 "$damaged"
        [ -z "$(ls -A)" ] || fail "cut by $cut: extract wrote $(ls -A)"
        cd .. && rmdir out
        run_launcher -console -cv:silent
        expect 255
    done
    ;;
no-display)
    # Without a display the progress window cannot be created: the run goes on as with the
    # console host, with its exit code, and the log says why.
    [ -n "$emulator" ] || skip "the Linux launcher has no window"
    pack_script packed.exe "INITIALIZE_UI
" 0
    launcher=$PWD/packed.exe
    for script in with without; do
        [ $script = without ] && launcher=$PWD/bare.exe && cp "$2" bare.exe
        run_launcher -console
        console_code=$code
        rm -f run.log
        run env -u DISPLAY -u WAYLAND_DISPLAY $emulator "$launcher" -cv:log run.log
        [ "$code" = "$console_code" ] ||
            fail "$script a script: exit code $code without a window, $console_code on the console"
        # A launcher that carries nothing ends before its log is opened.
        [ $script = without ] ||
            grep -aqF "WARNING: The progress window cannot be shown (the launcher's window cannot be created: " run.log ||
            fail "$script a script: no log line: $(cat run.log 2>&1)"
    done
    ;;
debug-log)
    DBGWIN32PPK=debug.log run_launcher -console -cv:version
    expect 0 2.52
    [ "$(tr -d '\r' <debug.log)" = "Console Launcher Started" ] ||
        fail "debug log: [$(cat debug.log)]"
    ;;
*)
    fail "unknown case"
    ;;
esac
passed
