#!/usr/bin/env bash
# Checks wizjava, the stand-in Java runtime of the launcher tests, from a fake JVM home: its
# answers to a verification run, a configured wizard run, a run without configuration, and the
# record each run appends to test_jvm.log.
#
#   test_jvm_check.sh WIZJAVA [EMULATOR]
#
# EMULATOR is empty for the native build and the Wine loader for the Windows build. Under Wine
# the program is started by a path relative to the working directory, and it sees that directory
# as a Windows path (Z:\...). Outputs are compared with carriage returns dropped.
set -u

wizjava=$(realpath "$1")
emulator=${2:-}

work=$(mktemp -d "${TMPDIR:-/tmp}/wiz-test-jvm.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

test_name=test_jvm
. "$(dirname "${BASH_SOURCE[0]}")/../support/e2e.sh"

suffix=""
sep=/
if [ -n "$emulator" ]; then
    suffix=.exe
    sep=\\
    export WINEDEBUG=-all
fi
unset JAVA_HOME WIZ_CHECK_SET WIZ_CHECK_UNSET

mkdir -p home/bin "run dir"
cp "$wizjava" "home/bin/java$suffix"
log=home/bin/test_jvm.log

# run_in DIR PROGRAM ARGS...: runs PROGRAM from DIR (see run in e2e.sh); sets $ms, the run's
# duration, too.
run_in() {
    local dir=$1 start
    shift
    start=$(date +%s%N)
    cd "$dir" || fail "no directory $dir"
    run $emulator "$@"
    cd "$work" || exit 1
    ms=$((($(date +%s%N) - start) / 1000000))
}

# expect_log TEXT: the whole record file, carriage returns dropped, is TEXT (no escapes).
expect_log() {
    local got
    [ -f "$log" ] || fail "no record file"
    got=$(tr -d '\r' <"$log"; echo .)
    got=${got%.}
    [ "$got" = "$1" ] || fail "records:
[$got]
expected:
[$1]"
}

# Without a configuration file: a wizard run that exits 0 silently.
run_in . "./home/bin/java$suffix" -version
expect 0
expect_err

# How the program saw the work directory and its own path; the rest of the records are exact.
wcwd=$(tr -d '\r' <"$log" | sed -n 's/^cwd=//p' | head -n 1)
if [ -n "$emulator" ]; then
    [[ $wcwd == [A-Z]:*"\\${work##*/}" ]] || fail "cwd [$wcwd] is not the work directory"
    self_here="$wcwd\\home\\bin\\java.exe"
    self_below=$self_here
else
    [ "$wcwd" = "$(pwd -P)" ] || fail "cwd [$wcwd], expected [$(pwd -P)]"
    self_here=./home/bin/java
    self_below=../home/bin/java
fi
records="run
argc=2
arg[0]=$self_here
arg[1]=-version
cwd=$wcwd
JAVA_HOME unset
end
"
expect_log "$records"

cat >home/bin/test_jvm.cfg <<'EOF'
# not a key
property.java.version=1.8.0_99
property.java.vendor=Vendor = Test, Inc.
env=WIZ_CHECK_SET,WIZ_CHECK_UNSET
stdout=wizard out \n one line
stderr=wizard err
exit=7
sleep_ms=300
colour=blue
EOF

# A verification run: the marker and the properties after the class name, exit 0 whatever the
# configured exit code, and none of the wizard run's output.
WIZ_CHECK_SET="set value" run_in . "./home/bin/java$suffix" -Xmx64m -cp "some dir/Verify.jar" \
    Verify java.version java.vendor java.home java.nope
expect 0 1739021872 1.8.0_99 "Vendor = Test, Inc." "$wcwd${sep}home" null
expect_err
records+="run
argc=9
arg[0]=$self_here
arg[1]=-Xmx64m
arg[2]=-cp
arg[3]=some dir/Verify.jar
arg[4]=Verify
arg[5]=java.version
arg[6]=java.vendor
arg[7]=java.home
arg[8]=java.nope
cwd=$wcwd
JAVA_HOME unset
env:WIZ_CHECK_SET=set value
env:WIZ_CHECK_UNSET unset
end
"
expect_log "$records"

# A wizard run from another directory, with JAVA_HOME set and arguments that need quoting.
JAVA_HOME='C:\Program Files\Java\jre 8' WIZ_CHECK_SET=x=y \
    run_in "run dir" "../home/bin/java$suffix" -Dwiz=1 -jar ../wizard.jar "a b" "" end
expect 7 'wizard out \n one line'
expect_err "wizard err"
[ "$ms" -ge 300 ] || fail "the wizard run took $ms ms, less than its configured sleep"
records+="run
argc=7
arg[0]=$self_below
arg[1]=-Dwiz=1
arg[2]=-jar
arg[3]=../wizard.jar
arg[4]=a b
arg[5]=
arg[6]=end
cwd=$wcwd${sep}run dir
JAVA_HOME=C:\\Program Files\\Java\\jre 8
env:WIZ_CHECK_SET=x=y
env:WIZ_CHECK_UNSET unset
end
"
expect_log "$records"

passed
