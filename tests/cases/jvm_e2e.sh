#!/usr/bin/env bash
# End-to-end runs of the JVM discovery with a packed launcher: the batch actions SEARCH,
# SEARCH_ALL, VERIFY_JVM and INSTALL_JVM on standard output, and the script commands FIND_JVM and
# INSTALL_JVM. The JVMs are fake homes holding the stand-in JVM (wizjava), whose configuration
# says which properties it reports; the drive scan walks a test tree (WIZ_SEARCH_DRIVES names it)
# and never the real disk.
#
#   jvm_e2e.sh CASE LAUNCHER WIZPACK WIZJAVA [EMULATOR [PREFIXES]]
#
# EMULATOR is empty for the native build and the Wine loader for the Windows build; PREFIXES is
# a directory for the Wine prefixes of their own that the Windows-only cases need. Each case
# works in a fresh temporary directory, removed afterwards.
#
# search        SEARCH finds a runtime bundled beside the launcher (a relative path hint): it
#               prints 1, the home and the JVM file, which outlives the launcher
# shared-temp   SEARCH with a -cv:tempdir that other users may change (mode 0777 without the
#               sticky bit; under Wine an access list that lets Everyone delete what is in it):
#               the run works in the user's own temporary folder, logs why, leaves the folder
#               empty and finds the runtime all the same
# javahome      SEARCH with -cv:javahome: the directory is tried with every descriptor, no hint
# none          SEARCH and SEARCH_ALL that find nothing print 0
# search-all    SEARCH_ALL over a test tree: candidates verified after the walk, descriptors in
#               the order they first received one, homes in the order found, each home once per
#               descriptor; recycle folders and the temporary directory are skipped
# scan-first    SEARCH with a SEARCH_ALL descriptor: the first descriptor's homes are verified
#               during the walk and the first success ends it
# hang          SEARCH with a java that never answers the verification: it is ended after
#               VERIFY_TIMEOUT and the next candidate is found
# verify        VERIFY_JVM prints 1 or 0; "1.5...." accepts 1.5.0_06 and not 1.50
# install       INSTALL_JVM runs the installer and prints the JVM file it left
# script        FIND_JVM 0 0 finding nothing sets N1 to 0; INSTALL_JVM 0 installs the embedded
#               installer, whose JVM file LAUNCH then uses
# bad-hive      FIND_JVM 1 1 with a hive name that is not one of the five: the message is string
#               23, a blank and the hint message; the run ends with the hint message
# pick          (native) FIND_JVM 1 1 finding nothing asks for the java program on the console:
#               a pick the descriptor refuses is refused with what is required, the next is taken
# registry      (Windows) platform hints against values added with Wine's reg: a plain hint, and a
#               "*" segment that picks the newest version
# views         (Windows) in a 64-bit prefix: a hint found only in the other registry view (the
#               64-bit one for the 32-bit launcher, and the other way round); the own view wins
# drives        (Windows) the drive scan over the drives of a prefix whose letters map to a test
#               tree (no drive maps to the host's root); a "*" path hint on every drive
set -u

case_name=$1
launcher=$(realpath "$2")
wizpack=$(realpath "$3")
java=$(realpath "$4")
emulator=${5:-}
prefixes=${6:-}

work=$(mktemp -d "${TMPDIR:-/tmp}/wiz-jvm-e2e.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

test_name=jvm.$case_name
. "$(dirname "${BASH_SOURCE[0]}")/../support/e2e.sh"
on_fail() { show_log run.log; }

suffix=""
sep=/
exe=bin/java
cpsep=:
if [ -n "$emulator" ]; then
    suffix=.exe
    sep='\'
    exe='bin\java.exe'
    cpsep=';'
    export WINEDEBUG=-all
fi
. "$(dirname "${BASH_SOURCE[0]}")/launcher_paths.sh"
unset JAVA_HOME
mkdir tmp

# home DIR VENDOR VERSION [PROGRAM]: a fake JVM home whose java program reports the vendor and
# version.
home() {
    mkdir -p "$1/bin"
    cp "$java" "$1/bin/${4:-java}$suffix"
    printf 'property.java.vendor=%s\nproperty.java.version=%s\n' "$2" "$3" >"$1/bin/test_jvm.cfg"
}

# descriptor FILE DESC VENDOR [EXTRA_LINES] [JVM_EXE]: a JVM descriptor that wants the vendor and
# any version 17.
descriptor() {
    {
        printf 'DESC: %s\nJVM_EXE: %s\n' "$2" "${5:-$exe}"
        printf 'JVM_PROPERTIES:\n  java.vendor=%s\n  java.version=17...\n/:\n' "$3"
        printf 'CLASSPATH: "-cp "\nCLASSPATH_SEPARATOR: %s\n%s' "$cpsep" "${4:-}"
    } >"$1"
}

# pack SCRIPT_LINES [ENTRY_OPTIONS...]: setup(.exe) with the instruction script, a verification
# archive (the stand-in JVM needs none; a real one would) and the given entries.
pack() {
    local lines=$1
    shift
    printf 'INSTRUCTIONS:\n%s\n/:\n' "$lines" >script.tag
    printf 'PK' >Verify.jar
    cp "$launcher" "base$suffix"
    cp "$wizpack" "wizpack$suffix"
    $emulator "./wizpack$suffix" -o "setup$suffix" "base$suffix" --type instructions script.tag \
        --type verification Verify.jar "$@" >pack.log 2>&1 || fail "wizpack: $(cat pack.log)"
    rm -f "base$suffix" "wizpack$suffix"
}

# run_setup ARGS...: runs setup with the console host, a log and the temporary directory tmp,
# silently unless $loud is set (see run in e2e.sh).
run_setup() {
    local quiet=(-cv:silent)
    [ -n "${loud:-}" ] && quiet=()
    run $emulator "./setup$suffix" -console "${quiet[@]}" -cv:log run.log -cv:tempdir tmp "$@"
}

# action LINES...: an input document with the lines, run with -cv:in.
action() {
    printf '%s\n' "$@" >in.tag
    run_setup -cv:in in.tag
}

# The number of runs recorded by the java program of a home.
runs() { grep -c '^run' "$1/bin/test_jvm.log" 2>/dev/null || echo 0; }

no_temporary_files() {
    [ -z "$(ls -A tmp)" ] || fail "left in the temporary directory: $(ls -A tmp)"
}

# tag FILE NAME: the value of a single-value tag of a written JVM file.
tag_of() { tr -d '\r' <"$1" | sed -n "s/^$2:  //p"; }

case $case_name in
search)
    home jre "Acme Runtime" 17.0.2
    descriptor a.jvm "Bundled" "Acme..." $'PATH_HINT: missing\nPATH_HINT:\n  jre-old\n  jre\n/:\n'
    pack "" --type jvm --id 1 a.jvm
    action "ACTION: SEARCH" "LOGFILE: run.log"
    file=$(sed -n 3p <<<"$out")
    expect 0 "1
$(native_path "$work/jre")
$file"
    local_file=$file
    [ -n "$emulator" ] && local_file=$(sed 's|^Z:||; s|\\|/|g' <<<"$file")
    [ -f "$local_file" ] || fail "the JVM file $file is gone"
    [ "$(tag_of "$local_file" JVM_TEMP)" = 1 ] || fail "JVM_TEMP: $(cat "$local_file")"
    [ "$(tag_of "$local_file" JVM_HOME)" = "$(native_path "$work/jre")" ] || fail "JVM_HOME"
    [ "$(tag_of "$local_file" JVM_FILE)" = "$file" ] || fail "JVM_FILE: $(cat "$local_file")"
    rm -f "$local_file"
    no_temporary_files
    ;;
shared-temp)
    home jre "Acme Runtime" 17.0.2
    descriptor a.jvm "Bundled" "Acme..." $'PATH_HINT: jre\n'
    pack "" --type jvm --id 1 a.jvm
    chmod 0777 tmp
    action "ACTION: SEARCH" "LOGFILE: run.log"
    file=$(sed -n 3p <<<"$out")
    expect 0 "1
$(native_path "$work/jre")
$file"
    grep -aqF "WARNING: Not using $(native_path "$work/tmp") as the temp directory: other users can replace what the launcher puts there (" \
        run.log || fail "no log line for the shared folder: $(cat run.log)"
    no_temporary_files
    local_file=$file
    [ -n "$emulator" ] && local_file=$($emulator winepath -u "$file" 2>/dev/null | tr -d '\r')
    [ -f "$local_file" ] || fail "the JVM file $file is gone"
    rm -f "$local_file"
    ;;
javahome)
    home elsewhere "Third Runtime" 17.0.8
    descriptor a.jvm "First" "First Runtime" $'PATH_HINT: elsewhere\n'
    descriptor b.jvm "Second" "Second Runtime"
    descriptor c.jvm "Third" "Third Runtime"
    pack "" --type jvm a.jvm --type jvm b.jvm --type jvm c.jvm
    action "ACTION: SEARCH" "LOGFILE: run.log"
    expect 0 0
    [ "$(runs elsewhere)" = 1 ] || fail "the path hint was not tried once"
    run_setup -cv:javahome "$(native_path "$work/elsewhere")" -cv:in in.tag
    file=$(sed -n 3p <<<"$out")
    expect 0 "1
$(native_path "$work/elsewhere")
$file"
    # Every descriptor tries it, with the same command: one run serves them all.
    [ "$(runs elsewhere)" = 2 ] || fail "runs: $(runs elsewhere); one for every descriptor, no hint"
    grep -aqF "Checking user specified Java home directory => $(native_path "$work/elsewhere")" \
        run.log || fail "no log line for the override"
    ;;
none)
    descriptor a.jvm "Nothing here" "Acme" $'PATH_HINT: missing\n'
    pack "" --type jvm a.jvm
    action "ACTION: SEARCH" "LOGFILE: run.log"
    expect 0 0
    mkdir drives
    WIZ_SEARCH_DRIVES=$(native_path "$work/drives") action "ACTION: SEARCH_ALL" "LOGFILE: run.log"
    expect 0 0
    no_temporary_files
    ;;
search-all | scan-first)
    # A chain of directories, so that the walk finds the programs in this order whatever the
    # order of a directory listing:
    #   a/jre/bin/java                  reports Zed: D1 home a/jre, D2 home a - neither verifies
    #   a/jre/bin/x/bin/java            reports Acme: D1 home x
    #   a/jre/bin/x/bin/y/jre/bin/java  reports Acme: D1 home y/jre, D2 home y
    # D3 looks for the bare program name, so every program is offered twice; each home is still
    # verified once per descriptor.
    d=drives/a
    home "$d/jre" Zed 17.0.1
    home "$d/jre/bin/x" "Acme Runtime" 17.0.2
    home "$d/jre/bin/x/bin/y/jre" "Acme Runtime" 17.0.3
    home drives/RECYCLER "Acme Runtime" 17.0.4
    home drives/tmp "Acme Runtime" 17.0.5
    all=no
    [ "$case_name" = search-all ] && all=yes
    descriptor d1.jvm "D1" "Acme..." "SEARCH_ALL: 1"$'\n'
    descriptor d2.jvm "D2" "Acme..." "" "jre${sep}$exe"
    descriptor d3.jvm "D3" "Nobody" "" "java$suffix"
    pack "" --type jvm d1.jvm --type jvm d2.jvm --type jvm d3.jvm
    x=$(native_path "$work/$d/jre/bin/x")
    y=$(native_path "$work/$d/jre/bin/x/bin/y")
    printf 'ACTION: %s\nLOGFILE: run.log\n' "$([ $all = yes ] && echo SEARCH_ALL || echo SEARCH)" >in.tag
    WIZ_SEARCH_DRIVES=$(native_path "$work/drives") run $emulator "./setup$suffix" -console \
        -cv:silent -cv:tempdir drives/tmp -cv:in in.tag
    mapfile -t lines <<<"$out"
    if [ $all = yes ]; then
        [ "${lines[0]}" = 3 ] || fail "count: $out"
        [ "${lines[1]}" = "$x" ] && [ "${lines[3]}" = "$y${sep}jre" ] && [ "${lines[5]}" = "$y" ] ||
            fail "the matches in the wrong order: $out"
        for f in "${lines[2]}" "${lines[4]}" "${lines[6]}"; do
            [ -n "$emulator" ] && f=$(sed 's|^Z:||; s|\\|/|g' <<<"$f")
            [ -f "$f" ] || fail "the JVM file $f is gone"
        done
        # D1 verified a/jre, x and y/jre once each, D3 every bin directory once, D2 a and y.
        [ "$(runs "$d/jre")" = 3 ] || fail "runs of a/jre: $(runs "$d/jre")"
        [ "$(runs "$d/jre/bin/x")" = 2 ] || fail "runs of x: $(runs "$d/jre/bin/x")"
        [ "$(runs "$d/jre/bin/x/bin/y/jre")" = 3 ] || fail "runs of y: $(runs "$d/jre/bin/x/bin/y/jre")"
    else
        [ "${lines[0]}" = 1 ] && [ "${lines[1]}" = "$x" ] || fail "the first match: $out"
        # The walk ended at x: nothing below it was looked at.
        [ "$(runs "$d/jre/bin/x/bin/y/jre")" = 0 ] || fail "y was verified"
        [ "$(runs "$d/jre")" = 1 ] || fail "runs of a/jre: $(runs "$d/jre")"
    fi
    [ "$(runs drives/RECYCLER)" = 0 ] || fail "the recycle folder was searched"
    [ "$(runs drives/tmp)" = 0 ] || fail "the temporary directory was searched"
    ;;
hang)
    # The first candidate's java never answers the verification: after VERIFY_TIMEOUT it is
    # ended (nothing of it keeps running) and the search goes on to the second.
    home jre-hang "Acme Runtime" 17.0.2
    printf 'verify_sleep_ms=600000\n' >>jre-hang/bin/test_jvm.cfg
    home jre "Acme Runtime" 17.0.2
    descriptor a.jvm "Bundled" "Acme..." $'PATH_HINT:\n  jre-hang\n  jre\n/:\nVERIFY_TIMEOUT: 2\n'
    pack "" --type jvm --id 1 a.jvm
    started=$SECONDS
    action "ACTION: SEARCH" "LOGFILE: run.log"
    file=$(sed -n 3p <<<"$out")
    expect 0 "1
$(native_path "$work/jre")
$file"
    [ $((SECONDS - started)) -lt 50 ] || fail "the search waited $((SECONDS - started)) s"
    grep -aqF "WARNING: JVM at $(native_path "$work/jre-hang") not verified: it did not end within 2 seconds (VERIFY_TIMEOUT)" run.log ||
        fail "no log line for the candidate that did not answer"
    sleep 1
    left=$(ps -eo args | grep -aF jre-hang | grep -v grep)
    [ -z "$left" ] || fail "still running: $left"
    # (The JVM file of the match outlives the launcher.)
    [ -n "$emulator" ] && file=$(sed 's|^Z:||; s|\\|/|g' <<<"$file")
    rm -f "$file"
    no_temporary_files
    ;;
verify)
    descriptor v.jvm "Old runtime" "Acme..."
    sed -i 's/java.version=17\.\.\./java.version=1.5..../' v.jvm
    pack ""
    for version in 1.5.0_06 1.50; do
        home "rt-$version" "Acme Runtime" "$version"
        action "ACTION: VERIFY_JVM" "LOGFILE: run.log" "VERIFY_JVM_FILE: v.jvm" \
            "VERIFY_JVM_HOME: $(native_path "$work/rt-$version")"
        case $version in
        1.5.0_06) expect 0 1 ;;
        1.50) expect 0 0 ;;
        esac
    done
    no_temporary_files
    ;;
install)
    mkdir dest
    cp "$java" "install$suffix"
    pack ""
    action "ACTION: INSTALL_JVM" "LOGFILE: run.log" "INSTALL_JVM_EXE: $(native_path "$work/install$suffix")" \
        "INSTALL_JVM_DEST: $(native_path "$work/dest")"
    expect 0 "$(native_path "$work/dest")${sep}jvm"
    [ "$(tag_of dest/jvm JVM_HOME)" = "$(native_path "$work/dest")" ] || fail "JVM_HOME: $(cat dest/jvm)"
    [ "$(tag_of dest/jvm JVM_TEMP)" = 0 ] || fail "JVM_TEMP: $(cat dest/jvm)"
    no_temporary_files
    ;;
script)
    descriptor a.jvm "Nothing here" "Acme"
    printf 'COMMAND: """@JVM_HOME@%s@JVM_EXE@"" Wizard"\n' "$sep" >launch.tag
    cp "$java" "install$suffix"
    pack "FIND_JVM 0 0
JMP0 @N1@ NOTHING
LAUNCH never.jvm 0
:NOTHING
INSTALL_JVM 0
JMP0 @N1@ FAILED
LAUNCH @S1@ 0
:FAILED" --type jvm a.jvm --type launchscript launch.tag --type jvminstaller "install$suffix"
    run_setup
    [ "$code" = 0 ] || fail "exit code $code; output [$out]"
    grep -aq "Finding a JVM" run.log || fail "no search"
    grep -aq "never.jvm" run.log && fail "FIND_JVM reported a JVM"
    # The installer put a runtime into a temporary directory; the launch names its program.
    grep -aqF "${sep}bin${sep}java$suffix\" Wizard" run.log || fail "the installed JVM was not launched"
    no_temporary_files
    ;;
bad-hive)
    descriptor a.jvm "Registry" "Acme" $'PLATFORM_HINT: \\HKLM\\SOFTWARE\\X\\Home\n'
    pack "FIND_JVM 1 1" --type jvm a.jvm
    run $emulator "./setup$suffix" -console -cv:log run.log -cv:tempdir tmp
    hint_message='Invalid hive (HKLM) specified in platform hint (\HKLM\SOFTWARE\X\Home).'
    # (The Linux texts name the program "java".)
    s23="A suitable JVM could not be found. Please select a JVM by selecting its java$suffix file."
    grep -aqxF "$s23 $hint_message" <<<"$out" || fail "the message: [$out]"
    grep -aqxF "$hint_message" <<<"$out" || fail "the ending: [$out]"
    grep -aqF "ERROR: $s23 $hint_message" run.log || fail "not logged"
    no_temporary_files
    ;;
pick)
    home picked "Acme Runtime" 17.0.2
    home old "Acme Runtime" 11.0.22
    # The pick is verified with the descriptor: a Java 11 is refused with what is required, and
    # the second pick, a Java 17, is taken.
    descriptor a.jvm "Acme Runtime 17" "Acme Runtime"
    printf 'COMMAND: """@JVM_HOME@/@JVM_EXE@"" Wizard"\n' >launch.tag
    pack "FIND_JVM 1 1
JMP0 @N1@ NOTHING
LAUNCH @S2@ 0
:NOTHING" --type jvm a.jvm --type launchscript launch.tag
    printf '%s\n  %s  \n' "$work/old/bin/java" "$work/picked/bin/java" >answer.txt
    loud=1 stdin_file=answer.txt run_setup
    [ "$code" = 0 ] || fail "exit code $code; output [$out]"
    grep -aqF "The selected Java runtime is not suitable. Required: Acme Runtime 17" <<<"$out" ||
        fail "the Java 11 was not refused with what is required: [$out]"
    grep -aq "user selected JVM_HOME=$work/picked" run.log || fail "no pick"
    grep -aq '^arg\[1\]=Wizard' picked/bin/test_jvm.log || fail "the picked JVM was not launched"
    grep -aq '^arg\[1\]=Wizard' old/bin/test_jvm.log && fail "the refused JVM was launched"
    # Not a java program, and a java program whose folder only ends in "bin".
    mkdir -p mybin
    cp picked/bin/java mybin/java
    for answer in "$work/picked/bin/notjava" "$work/mybin/java"; do
        printf '%s\n' "$answer" >answer.txt
        rm -f run.log
        loud=1 stdin_file=answer.txt run_setup
        case $out in
        *"Selected file is not a valid JVM. Please select the java file for the JVM"*) ;;
        *) fail "no refusal of $answer: [$out]" ;;
        esac
        grep -aq "user selected" run.log && fail "$answer was taken: $(grep -a 'user selected' run.log)"
    done
    # A silent launcher asks nothing.
    printf '%s\n' "$work/picked/bin/java" >answer.txt
    rm -f run.log
    loud=1 stdin_file=answer.txt run_setup -cv:silent
    grep -aq "user selected" run.log && fail "a silent launcher took a pick"
    no_temporary_files
    ;;
registry)
    . "$(dirname "$0")/../../scripts/wine-env.sh"
    export WIZ_WINE=$emulator
    root="Software\\WizJvmTest$$$RANDOM"
    trap '$emulator reg delete "HKCU\\$root" /f >/dev/null 2>&1; rm -rf "$work"' EXIT
    for v in 8.0.392 17.0.9 17.0.10 11.0.2; do
        home "rt-$v" "Acme Runtime" "17.0.1"
        $emulator reg add "HKCU\\$root\\JDK\\$v" /v JavaHome /d "$(native_path "$work/rt-$v")" \
            /f >/dev/null 2>&1 || fail "reg add"
    done
    home plain "Acme Runtime" 17.0.1
    $emulator reg add "HKCU\\$root\\Plain" /v Home /d "$(native_path "$work/plain")" /f >/dev/null 2>&1
    descriptor a.jvm "Newest" "Acme..." "PLATFORM_HINT: \\HKEY_CURRENT_USER\\$root\\JDK\\*\\JavaHome"$'\n'
    descriptor b.jvm "Plain" "Acme..." "PLATFORM_HINT: \\HKEY_CURRENT_USER\\$root\\Plain\\Home"$'\n'
    pack "" --type jvm a.jvm
    action "ACTION: SEARCH" "LOGFILE: run.log"
    [ "$(sed -n 2p <<<"$out")" = "$(native_path "$work/rt-17.0.10")" ] || fail "not the newest: [$out]"
    for v in 8.0.392 17.0.9 11.0.2; do [ "$(runs "rt-$v")" = 0 ] || fail "$v was tried first"; done
    pack "" --type jvm b.jvm
    action "ACTION: SEARCH" "LOGFILE: run.log"
    [ "$(sed -n 2p <<<"$out")" = "$(native_path "$work/plain")" ] || fail "plain hint: [$out]"
    ;;
views)
    . "$(dirname "$0")/../../scripts/wine-env.sh"
    export WIZ_WINE=$emulator
    if [ "$(wiz_wine_arch)" = win32 ]; then
        # The 32-bit launcher in a 64-bit prefix, as on 64-bit Windows.
        export WINEPREFIX=$prefixes/wineprefix-wow64
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            mkdir -p "$WINEPREFIX"
            WINEARCH=win64 "$WIZ_WINE64" wineboot -i >/dev/null 2>&1 || fail "no 64-bit prefix"
            wiz_wineserver -w
        fi
        own=32
        other=64
    else
        own=64
        other=32
    fi
    root="Software\\WizViewTest$$$RANDOM"
    trap '$emulator reg delete "HKLM\\$root" /f /reg:32 >/dev/null 2>&1; $emulator reg delete "HKLM\\$root" /f /reg:64 >/dev/null 2>&1; [ -n "${prefixes:-}" ] && [ "$own" = 32 ] && wiz_wineserver -k; rm -rf "$work"' EXIT
    home other "Acme Runtime" 17.0.1
    home own "Acme Runtime" 17.0.1
    $emulator reg add "HKLM\\$root" /v Home /d "$(native_path "$work/other")" /f /reg:$other \
        >/dev/null 2>&1 || fail "reg add /reg:$other"
    descriptor a.jvm "Views" "Acme..." "PLATFORM_HINT: \\HKEY_LOCAL_MACHINE\\$root\\Home"$'\n'
    pack "" --type jvm a.jvm
    action "ACTION: SEARCH" "LOGFILE: run.log"
    [ "$(sed -n 2p <<<"$out")" = "$(native_path "$work/other")" ] || fail "other view: [$out]"
    grep -aq "Invalid platform hint" run.log && fail "a warning although the hint resolved"
    $emulator reg add "HKLM\\$root" /v Home /d "$(native_path "$work/own")" /f /reg:$own \
        >/dev/null 2>&1 || fail "reg add /reg:$own"
    action "ACTION: SEARCH" "LOGFILE: run.log"
    [ "$(sed -n 2p <<<"$out")" = "$(native_path "$work/own")" ] || fail "own view: [$out]"
    ;;
drives)
    . "$(dirname "$0")/../../scripts/wine-env.sh"
    export WIZ_WINE=$emulator
    # A prefix of its own, one test at a time, whose only drives are C: and M: (the test tree).
    wine_drives_prefix "$prefixes/wineprefix-drives" "$work/tree" || fail "cannot create the prefix"
    trap 'rm -f "$WINEPREFIX/dosdevices/m:"; wiz_wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
    home tree/apps/jdk-17.0.2 "Acme Runtime" 17.0.2
    home tree/apps/jdk-17.0.2/bin/sub/jdk-17.0.9 "Acme Runtime" 17.0.9
    home tree/RECYCLER/old "Acme Runtime" 17.0.3
    home tree/tmp/inside "Acme Runtime" 17.0.4
    home tree/jdk-17.0.10 "Acme Runtime" 17.0.10
    home tree/jdk-17.0.8 "Acme Runtime" 17.0.8
    descriptor a.jvm "Scan" "Acme..."
    descriptor p.jvm "Wildcard" "Acme..." 'PATH_HINT: \jdk-17*'$'\n'
    cp "$launcher" tree/base.exe
    cp "$wizpack" tree/wizpack.exe
    printf 'PK' >tree/Verify.jar
    cp a.jvm p.jvm tree/
    cd tree || exit 1
    $emulator wizpack.exe -o setup.exe base.exe --type verification Verify.jar --type jvm a.jvm \
        >pack.log 2>&1 || fail "wizpack: $(cat pack.log)"
    $emulator wizpack.exe -o setup2.exe base.exe --type verification Verify.jar --type jvm p.jvm \
        >pack.log 2>&1 || fail "wizpack: $(cat pack.log)"
    printf 'ACTION: SEARCH_ALL\nLOGFILE: run.log\n' >in.tag
    run $emulator 'M:\setup.exe' -console -cv:silent -cv:tempdir 'M:\tmp' -cv:in 'M:\in.tag'
    mapfile -t lines <<<"$out"
    [ "${lines[0]}" = 4 ] || fail "count: [$out]"
    found=$(printf '%s\n' "${lines[1]}" "${lines[3]}" "${lines[5]}" "${lines[7]}" | sort)
    want=$(printf '%s\n' 'M:\apps\jdk-17.0.2' 'M:\apps\jdk-17.0.2\bin\sub\jdk-17.0.9' \
        'M:\jdk-17.0.10' 'M:\jdk-17.0.8' | sort)
    [ "$found" = "$want" ] || fail "homes: [$found], expected [$want]"
    [ "$(runs RECYCLER/old)" = 0 ] || fail "the recycle folder was searched"
    [ "$(runs tmp/inside)" = 0 ] || fail "the temporary directory was searched"
    printf 'ACTION: SEARCH\nLOGFILE: run.log\n' >in.tag
    run $emulator 'M:\setup2.exe' -console -cv:silent -cv:tempdir 'M:\tmp' -cv:in 'M:\in.tag'
    [ "$(sed -n 2p <<<"$out")" = 'M:\jdk-17.0.10' ] || fail "wildcard path hint: [$out]"
    grep -aqF 'Checking path hint C:\jdk-17*' run.log && fail "the star was taken literally"
    ;;
*)
    fail "unknown case"
    ;;
esac
passed
