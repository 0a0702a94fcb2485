#!/usr/bin/env bash
# End-to-end runs of the launch commands LAUNCH, ILAUNCH and EXECUTE_LAUNCHER with a packed
# launcher: the stand-in JVM (wizjava) records how the launcher started it; natively one case
# starts the sample wizard on the machine's real Java runtime.
#
#   launch_e2e.sh CASE LAUNCHER WIZPACK WIZJAVA [EMULATOR]
#   launch_e2e.sh java LAUNCHER WIZPACK JAVA WIZARD_JAR
#
# EMULATOR is empty for the native build and the Wine loader for the Windows build. Each case
# works in a fresh temporary directory, removed afterwards; the programs get paths relative to it.
#
# The Windows launcher runs with the console host ("-console"), which hands "-console" on to the
# wizard and lets it share the console; the captured output and the exit message are then seen
# natively (where a launcher without "-console" reports on the console too) and, for Windows, by
# the windowed tests.
#
# launch    LAUNCH of a JVM file with hostile pass-through arguments (launcher style 0): the
#           expanded command, the working directory, JAVA_HOME and SET_ENV_FOR_WIZARD for the
#           child, the exit code; natively the logged output and the error output as exit
#           message; nothing temporary left
# style1    launcher style 1: SET_ENV_FOR_WIZARD is not applied, with style 0 it is; natively, the
#           exit message of a result of 1000 is shown with style 1
# console   DISPLAY_CONSOLE 1: the wizard shares the console, nothing is captured or logged
# workdir   AUTO_SET_WORKING_DIR 0: the wizard starts in the launcher's current directory
# ilaunch   ILAUNCH of a missing id logs its message, yields -1 and the script goes on; ILAUNCH
#           of an embedded descriptor starts the wizard
# execute   EXECUTE_LAUNCHER of an entry of another type logs and starts nothing; of an embedded
#           launcher starts it with -cv:orig, this launcher and its arguments, without waiting;
#           JAVA_HOME is back to what it was before the launch
# java      (native) the sample wizard on the real runtime, with the application archive, a side
#           file of Java arguments and pass-through arguments
set -u

case_name=$1
launcher=$(realpath "$2")
wizpack=$(realpath "$3")
java=$(realpath "$4")
emulator=${5:-}
wizard_jar=""
if [ "$case_name" = java ]; then
    wizard_jar=$(realpath "$5")
    emulator=""
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/wiz-launch-e2e.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

test_name=launch.$case_name
. "$(dirname "${BASH_SOURCE[0]}")/../support/e2e.sh"
on_fail() { show_log run.log; }

suffix=""
sep=/
exe=bin/java
if [ -n "$emulator" ]; then
    suffix=.exe
    sep='\'
    exe='bin\java.exe'
    export WINEDEBUG=-all
fi
. "$(dirname "${BASH_SOURCE[0]}")/launcher_paths.sh"
unset JAVA_HOME WIZ_A WIZ_B WIZ_C
mkdir tmp

# jvm_home DIR [CONFIG_LINES]: a fake JVM home with the stand-in JVM and its configuration.
jvm_home() {
    mkdir -p "$1/bin"
    cp "$java" "$1/bin/java$suffix"
    printf '%s' "${2:-}" >"$1/bin/test_jvm.cfg"
}

# jvm_file NAME HOME [EXTRA_LINES]: a JVM file for HOME.
jvm_file() {
    {
        printf 'DESC: Test JVM\nJVM_HOME: %s\nJVM_EXE: %s\n' "$(native_path "$work/$2")" "$exe"
        printf 'SET_ENV_FOR_WIZARD:\n  WIZ_A =  1\n  WIZ_B\n/:\n%s' "${3:-}"
    } >"$1"
}

# pack STYLE SCRIPT_LINES [ENTRY_OPTIONS...]: setup(.exe) with the instruction script and the
# launch script launch.tag, then the given entries.
pack() {
    local style=$1 lines=$2
    shift 2
    printf 'INSTRUCTIONS:\n%s\n/:\n' "$lines" >script.tag
    cp "$launcher" "base$suffix"
    cp "$wizpack" "wizpack$suffix"
    $emulator "./wizpack$suffix" -o "setup$suffix" --style "$style" "base$suffix" \
        --type instructions script.tag --type launchscript launch.tag "$@" >pack.log 2>&1 ||
        fail "wizpack: $(cat pack.log)"
    rm -f "base$suffix" "wizpack$suffix"
}

# run_setup [ENV=VALUE...] -- ARGS...: runs setup from the working directory with a log and the
# temporary directory tmp, and the variables in its environment (see run in e2e.sh).
run_setup() {
    local envs=()
    while [ "$1" != -- ]; do
        envs+=("$1")
        shift
    done
    shift
    local host=()
    [ -n "$emulator" ] && host=(-console)
    run env "${envs[@]}" $emulator "./setup$suffix" "${host[@]}" -cv:log run.log -cv:tempdir tmp "$@"
}

# record FILE: the record of the last run in the stand-in JVM's log, carriage returns dropped.
record() {
    tr -d '\r' <"$1" | awk '/^run$/ { r = "" } { r = r $0 "\n" } END { printf "%s", r }'
}

expect_line() {  # TEXT LINE
    grep -aqxF -- "$2" <<<"$1" || fail "no line [$2] in: $1"
}

no_temporary_files() {
    [ -z "$(ls -A tmp)" ] || fail "left in the temporary directory: $(ls -A tmp)"
}

# The exit code as it reaches the shell, which keeps the low 8 bits (also of a Windows program's
# code under Wine).
exit_code() { echo $(($1 & 255)); }

home_path=$(native_path "$work/jvm")
work_path=$(native_path "$work")
# A value that starts with a double quote is a quoted argument: the template's own quotes are
# doubled.
printf 'COMMAND: """@JVM_HOME@%s@JVM_EXE@"" Wizard"\n' "$sep" >launch.tag

case $case_name in
launch)
    jvm_home jvm $'exit=7\nenv=WIZ_A,WIZ_B,WIZ_C\nstderr=the wizard complains\n'
    jvm_file jvm.tag jvm
    pack 0 "LAUNCH jvm.tag 0"
    args=("two words" "" 'say "hi"' 'C:\dir\' 'a\"b' '\\"' 'end\ ' 'tab	in' $'caf\xe9')
    given=("${args[@]}")
    locale=()
    if [ -n "$emulator" ]; then
        # Wine reads the Unix command line in the locale's character set; the Windows programs
        # see the same character in the ANSI code page (windows-1252), as byte e9.
        locale=(LC_ALL=C.UTF-8)
        given[8]=$'caf\xc3\xa9'
    fi
    run_setup JAVA_HOME=before WIZ_C=kept "${locale[@]}" -- "${given[@]}"
    [ "$code" = 7 ] || fail "exit code $code; output: [$out]"
    rec=$(record jvm/bin/test_jvm.log)
    first=2
    handed_on=""
    if [ -n "$emulator" ]; then
        # "-console" is handed on to the wizard, before the other arguments.
        expect_line "$rec" "arg[2]=-console"
        first=3
        handed_on='"-console" '
    fi
    expect_line "$rec" "argc=$((first + ${#args[@]}))"
    expect_line "$rec" "arg[1]=Wizard"
    for i in "${!args[@]}"; do expect_line "$rec" "arg[$((i + first))]=${args[$i]}"; done
    expect_line "$rec" "cwd=$work_path"
    expect_line "$rec" "JAVA_HOME=$home_path"
    expect_line "$rec" "env:WIZ_A=1"
    expect_line "$rec" "env:WIZ_B="
    expect_line "$rec" "env:WIZ_C=kept"
    log=$(tr -d '\r' <run.log)
    case $log in
    *"Executing launch script command: \"$home_path$sep$exe\" Wizard $handed_on\"two words\" \"\" \"say \\\"hi\\\"\""*" in working directory $work_path"*) ;;
    *) fail "the command in the log: $log" ;;
    esac
    if [ -z "$emulator" ]; then
        expect_line "$log" "Output from the launch script execution"
        expect_line "$log" "the wizard complains"
        expect_line "$out" "the wizard complains"
    fi
    no_temporary_files
    ;;
style1)
    jvm_home jvm $'exit=1000\nenv=WIZ_A\nstderr=ended with 1000\n'
    jvm_file jvm.tag jvm
    pack 1 "LAUNCH jvm.tag 0"
    run_setup --
    [ "$code" = "$(exit_code 1000)" ] || fail "style 1: exit code $code; output: [$out]"
    expect_line "$(record jvm/bin/test_jvm.log)" "env:WIZ_A unset"
    if [ -z "$emulator" ]; then
        expect_line "$out" "ended with 1000"
    fi
    pack 0 "LAUNCH jvm.tag 0"
    run_setup --
    [ "$code" = "$(exit_code 1000)" ] || fail "style 0: exit code $code; output: [$out]"
    expect_line "$(record jvm/bin/test_jvm.log)" "env:WIZ_A=1"
    # (POSIX keeps 8 bits of an exit code, so natively the result is 232, not 1000, and the
    # message shows; the windowed tests see the rule for 1000 on Windows.)
    no_temporary_files
    ;;
console)
    jvm_home jvm $'exit=3\nstdout=hello from the wizard\nstderr=only on the console\n'
    jvm_file jvm.tag jvm
    printf 'COMMAND: """@JVM_HOME@%s@JVM_EXE@"" Wizard"\nDISPLAY_CONSOLE: 1\n' "$sep" >launch.tag
    pack 0 "LAUNCH jvm.tag 0"
    run_setup --
    [ "$code" = 3 ] || fail "exit code $code; output: [$out]"
    expect_line "$out" "hello from the wizard"
    grep -qF "only on the console" stderr.txt || fail "the wizard's error output: $(cat stderr.txt)"
    case $out in
    *"only on the console"*) fail "captured error output shown as exit message: [$out]" ;;
    esac
    grep -q "Output from the launch script execution" run.log && fail "output was logged"
    no_temporary_files
    ;;
workdir)
    jvm_home jvm
    jvm_file jvm.tag jvm
    printf 'COMMAND: """@JVM_HOME@%s@JVM_EXE@"" Wizard"\nAUTO_SET_WORKING_DIR: 0\n' "$sep" >launch.tag
    pack 0 "LAUNCH ../jvm.tag 0"
    mkdir sub
    cd sub || exit 1
    run $emulator "../setup$suffix" -cv:log ../run.log -cv:tempdir ../tmp ${emulator:+-console}
    cd "$work" || exit 1
    [ "$code" = 0 ] || fail "exit code $code; output [$out]; error output [$err]"
    expect_line "$(record jvm/bin/test_jvm.log)" "cwd=$work_path${sep}sub"
    grep -q " in current working directory" run.log || fail "log: $(cat run.log)"
    no_temporary_files
    ;;
ilaunch)
    jvm_home jvm $'exit=4\n'
    jvm_file jvm.tag jvm
    pack 0 "ILAUNCH 99 0
SET S1 = still running
ILAUNCH 5 0" --type jvm --id 5 jvm.tag
    run_setup --
    [ "$code" = 4 ] || fail "exit code $code; output: [$out]"
    grep -qF "ERROR: Unable to launch the internal launch script with the internal JVM file. Either the launch script or the JVM file is missing from the launcher." run.log ||
        fail "no message for the missing id: $(cat run.log)"
    [ "$(grep -c '^run' jvm/bin/test_jvm.log)" = 1 ] || fail "runs: $(cat jvm/bin/test_jvm.log)"
    no_temporary_files
    ;;
execute)
    jvm_home jvm $'env=WIZ_A\n'
    jvm_file jvm.tag jvm
    # The stand-in JVM is the embedded launcher too: its record shows how it was started.
    cp "$java" "inner$suffix"
    pack 0 "EXECUTE_LAUNCHER 0
LAUNCH jvm.tag 0
EXECUTE_LAUNCHER 2" --type launcher "inner$suffix"
    for javahome in before ""; do
        rm -rf tmp/* jvm/bin/test_jvm.log run.log
        if [ -n "$javahome" ]; then
            run_setup JAVA_HOME=before -- "x y" -cp:a 'q"'
        else
            run_setup -- "x y" -cp:a 'q"'
        fi
        [ "$code" = 0 ] || fail "exit code $code; output: [$out]"
        grep -qF "ERROR: Unable to execute the embedded launcher." run.log ||
            fail "no message for the entry of another type: $(cat run.log)"
        inner_log=""
        for _ in $(seq 1 100); do
            inner_log=$(ls tmp/*/test_jvm.log 2>/dev/null | head -n 1)
            [ -n "$inner_log" ] && grep -q '^end' "$inner_log" && break
            sleep 0.1
        done
        [ -n "$inner_log" ] || fail "the embedded launcher did not run: $(ls -R tmp)"
        rec=$(record "$inner_log")
        expect_line "$rec" "arg[1]=-cv:orig"
        expect_line "$rec" "arg[2]=$work_path${sep}setup$suffix"
        shift_by=0
        if [ -n "$emulator" ]; then
            expect_line "$rec" "arg[3]=-console"
            shift_by=1
        fi
        expect_line "$rec" "arg[$((3 + shift_by))]=-cv:log"
        expect_line "$rec" "arg[$((7 + shift_by))]=x y"
        expect_line "$rec" "arg[$((9 + shift_by))]=q\""
        if [ -n "$javahome" ]; then
            expect_line "$rec" "JAVA_HOME=before"
        else
            expect_line "$rec" "JAVA_HOME unset"
        fi
        # Only the embedded launcher's own directory stays: it removes itself when it ends.
        [ "$(ls tmp | wc -l)" = 1 ] || fail "temporary entries: $(ls tmp)"
    done
    ;;
java)
    home=$(dirname "$(dirname "$java")")
    printf 'DESC: Machine JVM\nJVM_HOME: %s\nJVM_EXE: bin/java\nCLASSPATH: "-cp "\n' "$home" >jvm.tag
    printf 'CLASSPATH_SEPARATOR: :\n' >>jvm.tag
    cat >launch.tag <<'EOF'
COMMAND: """@JVM_HOME@/@JVM_EXE@"" %RUNTIME_JAVAARGS%() %CP%() SampleWizard"
ARCHIVE: """%APPLICATION_ARCHIVE%()"""
EOF
    printf -- '-Dwizard.exit=5\n"-Dwizard.stderr=@JVM_EXE@ was here"\n' >setup.ja
    cp "$wizard_jar" wizard.jar
    pack 0 "LAUNCH jvm.tag 0" --type application wizard.jar
    run_setup -- "a b" c
    [ "$code" = 5 ] || fail "exit code $code; output: [$out]"
    log=$(cat run.log)
    expect_line "$log" "Sample wizard is running"
    expect_line "$log" "java.home=$home"
    expect_line "$log" "user.dir=$work"
    expect_line "$log" "args=2"
    expect_line "$log" "arg[0]=a b"
    expect_line "$log" "arg[1]=c"
    case $out in
    *"bin/java was here"*) ;;
    *) fail "no exit message in [$out]" ;;
    esac
    no_temporary_files
    ;;
*)
    fail "unknown case"
    ;;
esac
passed
