#!/usr/bin/env bash
# The progress window of the Windows launcher under Wine and a virtual X server.
#
#   windowed_driver.sh CASE WINE LAUNCHER WIZPACK PROBE UNIT_TESTS PREFIX SHOTS WIZJAVA MARKER_DLL
#
# Cases: unit (the windowed unit tests with real windows), large, small (the dialog of a launcher
# packed with style byte 0 or 1; a screenshot of each goes to SHOTS), branded (the dialog of a
# launcher packed with a product name, maker and icon; a screenshot too), scaled (the large dialog
# at 150% and 200%, a screenshot of each), failure (a failed launch shows its message and exits
# with -1, as the console host does), exit (EXIT shows its text and ends with its code, in the
# window and on the console alike), cancel (closing the dialog cancels a running extraction),
# hide (a launch that keeps the dialog up for 3 seconds while the bar moves), exit-message (the
# wizard's error output is shown after a failed launch, but not after the result 1000 of a
# launcher with style 0; the stand-in JVM WIZJAVA plays the wizard), close-main (closing the
# hidden main window cancels a running extraction, and the launch still removes its temporary
# files), planted-dlls (copies of the marker DLL MARKER_DLL named like system DLLs beside the
# launcher, and preferred by Wine, are not loaded; cases/dll_search_common.sh).
#
# The tests use a Wine prefix of their own (PREFIX) set to a virtual desktop: windows there are
# not X windows, so hiding one does not wait for a window manager, and screenshots show the
# title bar. The prefix is created on first use; its wineserver is started and stopped here.
# Exit code 77 (skip) when xvfb-run is not installed.
set -u

case_name=$1
export WIZ_WINE=$2
launcher=$3
wizpack=$4
probe=$5
unit_tests=$6
prefix=$7
shots=$8
wizjava=${9:-}
marker_dll=${10:-}

test_name=windowed.$case_name
branding_fixtures=$(realpath "$(dirname "${BASH_SOURCE[0]}")/branding")
. "$(dirname "${BASH_SOURCE[0]}")/../support/e2e.sh"
# A failure leaves a screenshot of the virtual screen.
on_fail() {
    if [ -n "${DISPLAY:-}" ] && command -v import >/dev/null; then
        mkdir -p "$shots"
        import -window root "$shots/windowed-$case_name-failure.png" 2>/dev/null
    fi
}

if [ -z "${WIZ_WINDOWED_DISPLAY:-}" ]; then
    command -v xvfb-run >/dev/null || skip "xvfb-run is not installed (apt-get install xvfb xauth)"
    WIZ_WINDOWED_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

export WINEPREFIX=$prefix
unset WINEARCH
. "$(dirname "$0")/../../scripts/wine-env.sh"
. "$(dirname "$0")/dll_search_common.sh"

# One test at a time per prefix, also across build directories.
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9

if [ ! -f "$prefix/.windowed-ready" ]; then
    rm -rf "$prefix"
    wiz_prefix_create || fail "cannot create the Wine prefix $prefix"
    wiz_wineserver -p
    wiz_wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wiz_wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 640x480 /f >/dev/null 2>&1
    wiz_wineserver -k
    wiz_wineserver -w
    touch "$prefix/.windowed-ready"
fi
wiz_wineserver -p
wiz_wine wineboot -i >/dev/null 2>&1

work=$(mktemp -d "${TMPDIR:-/tmp}/wiz-windowed.XXXXXX")
cleanup() {
    wiz_wineserver -k 2>/dev/null
    wiz_wineserver -w 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
cd "$work" || exit 1

# A launch-script document: its presence sets the standard window title.
printf 'DESC: Sample wizard\nCOMMAND: none\n' >launch.tag

# The English texts of the string table used below.
s31='Corvane® is preparing the Corvane Wizard, which\nwill guide you through the rest of the process.\nPlease wait...'
s35="Canceled by the user."

# pack OUT STYLE SCRIPT_LINES [ENTRY_OPTIONS...]: a copy of the launcher with an embedded
# instruction script (entry type 0) and the given style byte; further entries follow.
pack() {
    local out=$1 style=$2 lines=$3
    shift 3
    printf 'INSTRUCTIONS:\n%s\n/:\n' "$lines" >script.tag
    wiz_wine "$wizpack" -o "$out" --style "$style" "$launcher" --type instructions script.tag "$@" \
        >pack.log 2>&1 || fail "wizpack: $(cat pack.log)"
}

# probe SCENARIO LAUNCHER ARGS...: runs the probe; its report lands in probe.out. A screenshot is
# taken when the probe signals that the dialog is up (SHOT names the file, empty for none). When
# GO_WHEN is set, the probe gets its go-ahead as soon as that shell condition holds.
probe() {
    local scenario=$1
    shift
    rm -f ready done
    wiz_wine "$probe" "$scenario" ready done "$@" >probe.raw 2>probe.err &
    local pid=$!
    if [ -n "${GO_WHEN:-}" ]; then
        local i
        for ((i = 0; i < 3000; i++)); do
            eval "$GO_WHEN" && break
            kill -0 $pid 2>/dev/null || break
            sleep 0.02
        done
        touch done
    fi
    if [ "$scenario" = dialog ]; then
        local i
        for ((i = 0; i < 600; i++)); do
            [ -f ready ] && break
            kill -0 $pid 2>/dev/null || break
            sleep 0.1
        done
        if [ -f ready ] && [ -n "${SHOT:-}" ]; then
            mkdir -p "$shots"
            # The virtual desktop fills the top left SHOT_SIZE (640 x 480) pixels of the screen.
            import -window root -crop "${SHOT_SIZE:-640x480}+0+0" +repage "$shots/$SHOT" 2>/dev/null ||
                echo "no screenshot (import failed)"
        fi
        touch done
    fi
    wait $pid
    local rc=$?
    tr -d '\r' <probe.raw | iconv -f CP1252 -t UTF-8 >probe.out
    sed 's/^/  probe: /' probe.out
    [ $rc = 0 ] || fail "probe ended with $rc: $(cat probe.out) $(cat probe.err)"
}

# expect_report KEY VALUE: the probe reported KEY=VALUE (VALUE with \n for line breaks, as
# reported).
expect_report() {
    local got
    got=$(grep -m1 "^$1=" probe.out) || fail "no $1 in the report: $(cat probe.out)"
    got=${got#*=}
    [ "$got" = "$2" ] || fail "$1 is [$got], expected [$2]"
}

case $case_name in
unit)
    wiz_wine "$unit_tests" --gtest_filter='Windowed*' >unit.out 2>&1
    rc=$?
    tr -d '\r' <unit.out
    [ $rc = 0 ] || fail "unit tests failed"
    ! grep -q '^\[  SKIPPED \]' unit.out || fail "tests skipped although a display is available"
    ;;
large | small)
    style=0
    [ "$case_name" = small ] && style=1
    # The script shows the dialog and then spins, so the dialog stays as it is until the probe
    # has looked at it; the probe then ends the launcher.
    pack packed.exe $style "INITIALIZE_UI
:SPIN
GOTO SPIN" --type launchscript launch.tag
    SHOT=windowed-$case_name.png probe dialog packed.exe
    expect_report title "Corvane Wizard"
    expect_report status "Initializing Corvane Wizard..."
    expect_report progress 0
    expect_report icon 1
    if [ $style = 0 ]; then
        expect_report form large
        expect_report wait_text "$s31"
        expect_report wait_text_visible 1
    else
        expect_report form small
        expect_report wait_text_visible 0
    fi
    ;;
branded)
    # A launcher packed under its author's name shows that name in the title, the status and
    # the text of the large dialog, and nothing names the launcher's own product.
    pack packed.exe 0 "INITIALIZE_UI
:SPIN
GOTO SPIN" --type launchscript launch.tag --product-name "Acme Setup" --company "Acme Corp" \
        --icon "$branding_fixtures/app.ico"
    SHOT=windowed-branded.png probe dialog packed.exe
    expect_report title "Acme Setup"
    expect_report status "Initializing Acme Setup..."
    expect_report wait_text "Acme Corp is preparing the Acme Setup, which\nwill guide you through the rest of the process.\nPlease wait..."
    expect_report icon 1
    ! grep -q Corvane probe.out || fail "the dialog names Corvane: $(grep Corvane probe.out)"
    ;;
scaled)
    # At 150% and 200% (the display's DPI set to 144 and 192) the dialog is laid out at that
    # scale: its texts read as at 100%, and the screenshots show them whole.
    # set_dpi DPI DESKTOP: the display's DPI and the virtual desktop's size, read by the next
    # Wine session.
    set_dpi() {
        wiz_wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
        wiz_wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$2" /f >/dev/null 2>&1
        wiz_wineserver -k
        wiz_wineserver -w
        wiz_wineserver -p
    }
    cleanup_scaled() {
        set_dpi 96 640x480
        cleanup
    }
    trap cleanup_scaled EXIT
    pack packed.exe 0 "INITIALIZE_UI
:SPIN
GOTO SPIN" --type launchscript launch.tag
    for dpi in 144 192; do
        set_dpi $dpi 1024x768
        SHOT=windowed-scaled-$dpi.png SHOT_SIZE=1024x768 probe dialog packed.exe
        expect_report title "Corvane Wizard"
        expect_report status "Initializing Corvane Wizard..."
        expect_report wait_text "$s31"
        expect_report wait_text_visible 1
    done
    ;;
failure)
    # A failed launch shows its message over the dialog and exits with -1 (4294967295).
    # (--no-check: the script the launcher rejects is packed all the same.)
    pack packed.exe 0 "INITIALIZE_UI
STOP_HERE" --no-check --type launchscript launch.tag
    probe message packed.exe
    expect_report message "Error in instructions. Invalid command (STOP_HERE).  Line number (2)"
    expect_report message_caption "Corvane Wizard"
    expect_report exit 4294967295
    # The console host ends the same run with the same code (-1, which the shell sees as 255).
    wiz_wine ./packed.exe -console </dev/null >console.out 2>&1
    console_code=$?
    [ "$console_code" = 255 ] || fail "the console host ended with $console_code: $(cat console.out)"
    ;;
exit)
    # EXIT shows its text in a message box and ends the run with its code; the console host
    # prints the text and ends with the same code. (--no-check: the line after EXIT, which the
    # launcher would reject, shows that nothing after EXIT runs.)
    pack packed.exe 0 "INITIALIZE_UI
EXIT 7 \"This installer needs Java 17 or newer.\"
STOP_HERE" --no-check --type launchscript launch.tag
    probe message packed.exe
    expect_report message "This installer needs Java 17 or newer."
    expect_report exit 7
    console_out=$(wiz_wine ./packed.exe -console </dev/null 2>&1 | tr -d '\r'; echo ".${PIPESTATUS[0]}")
    console_code=${console_out##*.}
    [ "$console_code" = 7 ] || fail "the console host ended with $console_code: [$console_out]"
    grep -qx "This installer needs Java 17 or newer." <<<"$console_out" ||
        fail "the console host did not print the text: [$console_out]"
    ;;
cancel)
    # A large embedded file keeps the extraction busy long enough to be cancelled.
    head -c $((96 * 1024 * 1024)) /dev/zero >big.bin
    pack packed.exe 0 "INITIALIZE_UI" --type application big.bin
    rm -f big.bin
    mkdir out
    cp packed.exe out/
    cd out
    probe cancel packed.exe -cv:extract
    expect_report still_there 1
    msg=$(grep -m1 '^message=' probe.out)
    case "$msg" in
    *"$s35") ;;
    *) fail "the message does not end with [$s35]: $msg" ;;
    esac
    expect_report exit 4294967295
    ;;
hide)
    # The launch keeps the dialog up for 3 seconds while the stand-in wizard runs for 8.
    cp "$probe" stand_in.exe
    printf 'JVM_HOME: %s\n' "$(wiz_wine winepath -w "$work" 2>/dev/null)" >jvm.tag
    # (The temporary directory has no blanks, so the program path needs no quotes.)
    printf 'COMMAND: @JVM_HOME@\\stand_in.exe sleep 8000\nDISPLAY_CONSOLE: 1\n' >launch.tag
    pack packed.exe 0 "INITIALIZE_UI
ILAUNCH 1 3" --type launchscript launch.tag --type jvm --id 1 jvm.tag
    probe hide packed.exe
    expect_report status_while_up "Running Corvane Wizard..."
    expect_report moved_while_up 1
    expect_report hidden_while_running 1
    expect_report exit 0
    ;;
exit-message)
    # The stand-in JVM ends as told and writes an error line; LAUNCH keeps the dialog up for a
    # moment, so the probe sees it before the launch ends.
    mkdir -p jvm/bin
    cp "$wizjava" jvm/bin/java.exe
    printf 'JVM_HOME: %s\nJVM_EXE: bin\\java.exe\n' "$(wiz_wine winepath -w "$work/jvm" 2>/dev/null)" >jvm.tag
    printf 'DESC: Sample wizard\nCOMMAND: """@JVM_HOME@\\@JVM_EXE@"" Wizard"\n' >launch.tag
    # exit_case STYLE EXIT SCENARIO: packs and runs the launch of a wizard that ends with EXIT.
    exit_case() {
        printf 'exit=%s\nstderr=the wizard failed with %s\n' "$2" "$2" >jvm/bin/test_jvm.cfg
        pack packed.exe "$1" "INITIALIZE_UI
LAUNCH jvm.tag 2" --type launchscript launch.tag
        probe "$3" packed.exe
    }
    # The message is the captured error output as it is, line break included.
    exit_case 0 3 message
    expect_report message 'the wizard failed with 3\n'
    expect_report exit 3
    exit_case 1 1000 message
    expect_report message 'the wizard failed with 1000\n'
    exit_case 0 1000 quiet
    expect_report message_box 0
    exit_case 2 1000 quiet
    expect_report message_box 0
    ;;
close-main)
    # A large verification archive keeps its extraction into the temporary directory busy for a
    # moment (about half a second); the main window is closed as soon as the extraction has
    # begun.
    head -c $((96 * 1024 * 1024)) /dev/zero >big.bin
    pack packed.exe 0 "INITIALIZE_UI
FIND_JVM 0 0" --type verification --name Verify.jar big.bin
    rm -f big.bin
    mkdir temp
    GO_WHEN='[ -n "$(ls -A temp)" ]' probe close-main packed.exe \
        -cv:tempdir "$(wiz_wine winepath -w "$work/temp" 2>/dev/null)"
    expect_report main_still_there 1
    msg=$(grep -m1 '^message=' probe.out)
    case "$msg" in
    *"$s35") ;;
    *) fail "the message does not end with [$s35]: $msg" ;;
    esac
    expect_report exit 4294967295
    left=$(cd temp && find . -mindepth 1)
    [ -z "$left" ] || fail "temporary files left behind: $left"
    ;;
planted-dlls)
    # The launch shows the dialog and fails with a message, which uses Common Controls, the
    # window functions and the string table.
    pack packed.exe 0 "INITIALIZE_UI
STOP_HERE" --no-check --type launchscript launch.tag
    mkdir app
    mv packed.exe app/
    # Not ole32: Wine's own imm32, which the window functions load, delay-loads it through the
    # search path the process started with, which SetDefaultDllDirectories does not change
    # under Wine. (Windows keeps ole32 among its KnownDLLs, never loaded from elsewhere.)
    plant_marker_dlls app "$marker_dll" ${planted_dll_names/ole32/} ||
        fail "cannot copy the marker DLL"
    # The probe itself is elsewhere, with no planted DLL beside it or in its directory. A
    # launcher that loads a planted DLL may not get far: the markers are looked at first.
    (WINEDLLOVERRIDES=$(planted_dll_overrides) probe message app/packed.exe)
    probe_result=$?
    markers=$(loaded_markers app)
    [ -z "$markers" ] || fail "the launcher loaded planted DLLs: $(echo $markers)"
    [ $probe_result = 0 ] || fail "the launch failed"
    expect_report message "Error in instructions. Invalid command (STOP_HERE).  Line number (2)"
    expect_report exit 4294967295
    ;;
*)
    fail "unknown case"
    ;;
esac
passed
