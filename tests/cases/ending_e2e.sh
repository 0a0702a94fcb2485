#!/usr/bin/env bash
# End-to-end runs that end the launcher from outside while its wizard runs: however the run
# ends, the wizard has ended afterwards, the temporary directory is empty and the exit code says
# how the run ended.
#
#   ending_e2e.sh CASE LAUNCHER WIZPACK WIZJAVA [JAVA]
#   ending_e2e.sh CASE LAUNCHER WIZPACK WIZJAVA EMULATOR PROBE     (Windows cases, under Wine)
#
# signals   (POSIX) Ctrl+C typed on the launcher's terminal (the whole process group gets
#           SIGINT), and SIGINT, SIGTERM and SIGHUP sent to the launcher alone, while the
#           stand-in JVM (WIZJAVA) sleeps as the wizard: exit code 128 + the signal's number
#           each time
# java      (POSIX) the same endings with the machine's real Java runtime JAVA running a wizard
#           that waits
# stubborn  (POSIX) a wizard that ignores SIGTERM is ended after the grace time
# killed    (POSIX) a run killed outright (SIGKILL) leaves its directory; the next run removes it
#           and leaves alone a directory whose run still lives, one without the mark and a link
#           to the directory of an ended run elsewhere
# ctrl-c, ctrl-break  (Windows) the probe (cases/ctrl_event_probe.cpp) runs the launcher on its
#           console and sends the console the event while the stand-in JVM sleeps as the wizard:
#           on Ctrl+C the wizard ends with a code of its own, and so does the launcher; on
#           Ctrl+Break the wizard goes on as a Java runtime does, and the launcher ends it after
#           the grace time and ends with STATUS_CONTROL_C_EXIT
# killed-windows  (Windows) a run ended with TerminateProcess leaves its directory; the next run
#           removes it and leaves a directory without the mark alone
set -u

case_name=$1
launcher=$(realpath "$2")
wizpack=$(realpath "$3")
wizjava=$(realpath "$4")
java=${5:-}
emulator=""
probe=""
case $1 in
ctrl-c | ctrl-break | killed-windows)
    emulator=$5
    probe=$(realpath "$6")
    java=""
    export WINEDEBUG=-all
    ;;
esac

work=$(mktemp -d "${TMPDIR:-/tmp}/wiz-ending-e2e.XXXXXX")
cleanup() {
    # Nothing of a failed case may keep running.
    local f
    for f in started.pid launcher.pid; do
        [ -s "$work/$f" ] && kill -KILL "$(cat "$work/$f")" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT
cd "$work" || exit 1

test_name=ending.$case_name
. "$(dirname "${BASH_SOURCE[0]}")/../support/e2e.sh"
on_fail() { show_log run.log; }
mkdir tmp

# pack JVM_HOME JVM_EXE COMMAND: setup, which launches COMMAND (a launch script's COMMAND value)
# with the JVM file jvm.tag; the application archive is extracted, so the run has temporary
# files while the wizard runs.
pack() {
    printf 'DESC: Test JVM\nJVM_HOME: %s\nJVM_EXE: %s\n' "$1" "$2" >jvm.tag
    printf 'COMMAND: %s\nDISPLAY_CONSOLE: 1\n' "$3" >launch.tag
    printf 'INSTRUCTIONS:\nLAUNCH jvm.tag 0\n/:\n' >script.tag
    # An empty zip archive.
    { printf 'PK\005\006'; head -c 18 /dev/zero; } >app.jar
    "$wizpack" -o setup --style 0 "$launcher" --type instructions script.tag \
        --type launchscript launch.tag --type application app.jar >pack.log 2>&1 ||
        fail "wizpack: $(cat pack.log)"
}

# wait_for_wizard: waits until the wizard has written its process id into started.pid.
wait_for_wizard() {
    local i
    for i in $(seq 300); do
        [ -s started.pid ] && return 0
        [ -f rc ] && fail "the launcher ended with $(cat rc) before the wizard started: $(cat out.txt)"
        sleep 0.1
    done
    fail "the wizard did not start"
}

# gone PID: true once the process has ended (a zombie counts as ended).
gone() {
    local i state
    for i in $(seq 50); do
        state=$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null) || return 0
        [ "$state" = Z ] && return 0
        sleep 0.1
    done
    return 1
}

# end_run HOW: starts setup, waits for the wizard, ends the run (ctrl-c: the character typed on
# the launcher's terminal; INT, TERM, HUP: the signal to the launcher alone) and checks what is
# left. Sets $code.
end_run() {
    local how=$1 pid
    rm -f started.pid run.log rc
    if [ "$how" = ctrl-c ]; then
        # script gives the launcher a terminal of its own; the interrupt character typed there
        # makes the terminal send SIGINT to its whole foreground process group.
        rm -f keys
        mkfifo keys
        (script -qfec "./setup -cv:log run.log -cv:tempdir tmp" /dev/null <keys >out.txt 2>&1
         echo $? >rc) &
        exec 3>keys
        wait_for_wizard
        printf '\003' >&3
    else
        (./setup -cv:log run.log -cv:tempdir tmp </dev/null >out.txt 2>&1 &
         echo $! >launcher.pid
         wait $!
         echo $? >rc) &
        wait_for_wizard
        kill "-$how" "$(cat launcher.pid)"
    fi
    wait
    [ "$how" = ctrl-c ] && exec 3>&-
    code=$(cat rc)
    pid=$(cat started.pid)
    gone "$pid" || fail "$how: the wizard (process $pid) still runs"
    [ -z "$(ls -A tmp)" ] || fail "$how: left in the temporary directory: $(ls -A tmp)"
    grep -aq "^WARNING: The run was ended by SIG" run.log || fail "$how: no log line of the ending"
    rm -f started.pid launcher.pid
}

# check_endings: the four endings with the launcher packed by pack.
check_endings() {
    local how expected
    for how in ctrl-c INT TERM HUP; do
        case $how in
        ctrl-c | INT) expected=130 ;;
        TERM) expected=143 ;;
        HUP) expected=129 ;;
        esac
        end_run "$how"
        [ "$code" = "$expected" ] || fail "$how: exit code $code, expected $expected"
    done
}

case $case_name in
signals)
    mkdir -p home/bin
    cp "$wizjava" home/bin/java
    # The stand-in sleeps as the wizard; a shell writes its process id first and becomes it.
    # Like a Java runtime, the wizard goes on after Ctrl+Break: the launcher ends it after the
    # grace time.
    printf 'sleep_ms=60000\nstarted_file=wizard.started\n' >home/bin/test_jvm.cfg
    [ "$case_name" = ctrl-break ] && printf 'ignore_break=1\n' >>home/bin/test_jvm.cfg
    # On Ctrl+C the wizard ends at once with a code of its own, which the launcher reports.
    [ "$case_name" = ctrl-c ] && printf 'ctrl_c_exit=42\n' >>home/bin/test_jvm.cfg
    pack /bin sh '"sh -c ""echo $$ >started.pid; exec '"$work"'/home/bin/java -cp %APPLICATION_ARCHIVE%() Wizard"""'
    check_endings
    ;;
java)
    [ -n "$java" ] || skip "no Java runtime"
    cat >Wait.java <<'JAVA'
public class Wait {
    public static void main(String[] args) throws Exception {
        java.nio.file.Files.writeString(java.nio.file.Path.of(args[0]),
            Long.toString(ProcessHandle.current().pid()));
        Thread.sleep(120000);
    }
}
JAVA
    home=$(dirname "$(dirname "$(realpath "$java")")")
    pack "$home" bin/java '"""@JVM_HOME@/@JVM_EXE@"" -cp ""%APPLICATION_ARCHIVE%()"" Wait.java started.pid"'
    check_endings
    ;;
killed)
    mkdir -p home/bin elsewhere
    cp "$wizjava" home/bin/java
    # Like a Java runtime, the wizard goes on after Ctrl+Break: the launcher ends it after the
    # grace time.
    printf 'sleep_ms=60000\nstarted_file=wizard.started\n' >home/bin/test_jvm.cfg
    [ "$case_name" = ctrl-break ] && printf 'ignore_break=1\n' >>home/bin/test_jvm.cfg
    # On Ctrl+C the wizard ends at once with a code of its own, which the launcher reports.
    [ "$case_name" = ctrl-c ] && printf 'ctrl_c_exit=42\n' >>home/bin/test_jvm.cfg
    pack /bin sh '"sh -c ""echo $$ >started.pid; exec '"$work"'/home/bin/java -cp %APPLICATION_ARCHIVE%() Wizard"""'
    # A run that still lives (its mark is locked), a directory without the mark, and a link to
    # the directory of an ended run outside the temporary directory.
    mkdir -m 700 tmp/LRE0000A001.tmp tmp/LRE0000A002.tmp elsewhere/LRE0000A003.tmp
    echo "process 1, started 0" >tmp/LRE0000A001.tmp/run.lock
    flock tmp/LRE0000A001.tmp/run.lock sleep 60 &
    holder=$!
    echo "process 1, started 0" >elsewhere/LRE0000A003.tmp/run.lock
    ln -s ../elsewhere/LRE0000A003.tmp tmp/LRE0000A004.tmp
    planted="LRE0000A001.tmp LRE0000A002.tmp LRE0000A004.tmp"
    (./setup -cv:log run.log -cv:tempdir tmp </dev/null >out.txt 2>&1 &
     echo $! >launcher.pid
     wait $!
     echo $? >rc) 2>/dev/null &
    first=$!
    wait_for_wizard
    kill -KILL "$(cat launcher.pid)"
    # Its wizard runs on: a process killed outright cannot end it.
    kill -KILL "$(cat started.pid)"
    wait "$first"
    left=$(ls tmp | tr '\n' ' ')
    [ "$left" != "$planted " ] || fail "the killed run left nothing"
    killed_dir=$(ls tmp | grep -vxF -e LRE0000A001.tmp -e LRE0000A002.tmp -e LRE0000A004.tmp)
    [ -f "tmp/$killed_dir/run.lock" ] || fail "the killed run's directory has no mark: $left"
    # The next run removes it, and only it.
    printf '' >home/bin/test_jvm.cfg
    rm -f started.pid run.log
    run ./setup -cv:log run.log -cv:tempdir tmp
    kill "$holder"
    [ "$code" = 0 ] || fail "second run: exit code $code: $out"
    [ "$(ls tmp | tr '\n' ' ')" = "$planted " ] || fail "left after the second run: $(ls tmp)"
    [ -f elsewhere/LRE0000A003.tmp/run.lock ] || fail "the directory behind the link was touched"
    grep -aq "^Removed the temporary directory of an earlier run that has ended (process [0-9]*, started [0-9]*): .*$killed_dir" run.log ||
        fail "no log line of the removal"
    ;;
ctrl-c | ctrl-break | killed-windows)
    command -v script >/dev/null || skip "script(1) is not installed (apt-get install bsdutils)"
    . "$(dirname "${BASH_SOURCE[0]}")/launcher_paths.sh"
    mkdir -p home/bin
    # Names no other test's process has: taskkill below ends processes by image name, in a Wine
    # prefix that tests running at the same time share.
    java_name=java$$.exe
    setup_name=setup$$.exe
    cp "$wizjava" "home/bin/$java_name"
    # Like a Java runtime, the wizard goes on after Ctrl+Break: the launcher ends it after the
    # grace time.
    printf 'sleep_ms=60000\nstarted_file=wizard.started\n' >home/bin/test_jvm.cfg
    [ "$case_name" = ctrl-break ] && printf 'ignore_break=1\n' >>home/bin/test_jvm.cfg
    # On Ctrl+C the wizard ends at once with a code of its own, which the launcher reports.
    [ "$case_name" = ctrl-c ] && printf 'ctrl_c_exit=42\n' >>home/bin/test_jvm.cfg
    printf 'DESC: Test JVM\nJVM_HOME: %s\nJVM_EXE: bin\\%s\n' "$(native_path "$work/home")" "$java_name" >jvm.tag
    printf 'COMMAND: """@JVM_HOME@\\@JVM_EXE@"" -cp ""%%APPLICATION_ARCHIVE%%()"" Wizard"\nDISPLAY_CONSOLE: 1\n' >launch.tag
    printf 'INSTRUCTIONS:\nLAUNCH jvm.tag 0\n/:\n' >script.tag
    { printf 'PK\005\006'; head -c 18 /dev/zero; } >app.jar
    cp "$launcher" base.exe
    cp "$wizpack" wizpack.exe
    $emulator ./wizpack.exe -o "$setup_name" --style 0 base.exe --type instructions script.tag \
        --type launchscript launch.tag --type application app.jar >pack.log 2>&1 ||
        fail "wizpack: $(cat pack.log)"
    wizards() { ps -eo args | grep -c "[h]ome.bin.${java_name%.exe}\\.exe"; }
    if [ "$case_name" = killed-windows ]; then
        mkdir -m 700 tmp/LRE0000B001.tmp
        # The first run is ended with TerminateProcess (taskkill /F) while its wizard sleeps.
        (SHELL=/bin/bash script -qec "$(printf '%q ' $emulator "./$setup_name" -console -cv:log run.log -cv:tempdir tmp)" \
            /dev/null </dev/null >first.log 2>&1) &
        first=$!
        for _ in $(seq 300); do
            [ -f home/bin/wizard.started ] && break
            sleep 0.1
        done
        $emulator taskkill /F /IM "$setup_name" >/dev/null 2>&1
        $emulator taskkill /F /IM "$java_name" >/dev/null 2>&1
        wait "$first"
        left=$(ls tmp | grep -vxF LRE0000B001.tmp)
        [ -n "$left" ] && [ -e "tmp/$left/run.lock" ] || fail "the killed run left no marked directory: $(ls -R tmp)"
        printf '' >home/bin/test_jvm.cfg
        rm -f run.log
        run $emulator "./$setup_name" -console -cv:log run.log -cv:tempdir tmp
        [ "$code" = 0 ] || fail "second run: exit code $code: $out"
        [ "$(ls tmp)" = LRE0000B001.tmp ] || fail "left after the second run: $(ls tmp)"
        tr -d '\r' <run.log | grep -aq "^Removed the temporary directory of an earlier run that has ended (process [0-9]*, started [0-9]*): .*$left" ||
            fail "no log line of the removal"
        passed
        exit 0
    fi
    event=${case_name#ctrl-}
    [ "$case_name" = ctrl-c ] && event=c
    start=$(date +%s)
    SHELL=/bin/bash script -qec \
        "$(printf '%q ' $emulator "$probe" report.txt home/bin/wizard.started "$event" "$setup_name" -console -cv:log run.log -cv:tempdir tmp)" \
        /dev/null </dev/null >script.log 2>&1
    [ -f report.txt ] || fail "no report from the probe: $(head -c 600 script.log)"
    report=$(tr -d '\r' <report.txt)
    # Ctrl+C: the wizard's own exit code, since it ended within the grace time. Its handler asks
    # for 42, but Wine 8 often ends a process that exits from its Ctrl+C handler with
    # STATUS_CONTROL_C_EXIT all the same (the launcher's own waiting thread sees that code before
    # the launcher's handler has even started), so either is the wizard's. Ctrl+Break:
    # STATUS_CONTROL_C_EXIT, since the launcher had to end the wizard.
    case $case_name:$report in
    ctrl-c:exit=42 | ctrl-c:exit=3221225786 | ctrl-break:exit=3221225786) ;;
    *) fail "the launcher ended with [$report]" ;;
    esac
    [ -z "$(ls -A tmp)" ] || fail "left in the temporary directory: $(ls -A tmp)"
    [ "$(wizards)" = 0 ] || fail "the wizard still runs"
    tr -d '\r' <run.log | grep -aq "^WARNING: The run was ended by Ctrl" || fail "no log line of the ending"
    if [ "$case_name" = ctrl-break ]; then
        [ $(($(date +%s) - start)) -ge 9 ] || fail "the wizard was ended before the grace time"
        grep -aq "did not end in time" run.log || fail "no log line of the wizard being ended"
    fi
    ;;
stubborn)
    pack /bin sh '"sh -c ""trap '"''"' TERM; echo $$ >started.pid; exec sleep 60"" %APPLICATION_ARCHIVE%()"'
    start=$(date +%s)
    end_run TERM
    [ "$code" = 143 ] || fail "exit code $code, expected 143"
    elapsed=$(($(date +%s) - start))
    [ "$elapsed" -ge 9 ] || fail "ended after ${elapsed}s, before the grace time"
    grep -aq "did not end in time" run.log || fail "no log line of the wizard being ended"
    ;;
*)
    fail "unknown case"
    ;;
esac
passed
