# Sourced by the end-to-end test scripts (tests/cases/*.sh, scripts/check-release.sh): how a
# check fails, how a script ends, how it runs a program under test and compares what the program
# did. Every script reports in the same form:
#
#   FAIL [NAME]: what differs      on standard error; exit code 1
#   SKIP [NAME]: why               exit code 77, which ctest reports as a skipped test
#   ok [NAME]                      the script passed
#
# NAME is $test_name, which the script sets before its first check. A script with more to show
# when a check fails (a log, a screenshot) defines a function on_fail, which fail calls after the
# message.

# fail MESSAGE...: reports the failed check and ends the script.
fail() {
    echo "FAIL [${test_name-}]: $*" >&2
    if declare -F on_fail >/dev/null; then on_fail >&2; fi
    exit 1
}

# skip REASON...: ends the script as skipped.
skip() {
    echo "SKIP [${test_name-}]: $*"
    exit 77
}

# passed [DETAIL]: the script passed.
passed() {
    echo "ok [${test_name-}]${1:+ $1}"
}

# show_log FILE: the launcher's log FILE, if there is one, for a failure message: each line after
# "  log: ", carriage returns dropped, without the listing of the embedded files.
show_log() {
    [ -f "$1" ] || return 0
    tr -d '\r' <"$1" | grep -av '^  \|^file type' | sed 's/^/  log: /'
}

# run COMMAND...: runs COMMAND with standard input from $stdin_file (by default /dev/null); sets
# $code (its exit code), $out and $err (its whole standard output and error output, trailing line
# breaks included, carriage returns dropped). The error output is also left in $work/stderr.txt.
# Variables given in front (NAME=VALUE run ...) are in the command's environment.
run() {
    local raw
    raw=$("$@" <"${stdin_file:-/dev/null}" 2>"$work/stderr.txt"; echo ".$?")
    code=${raw##*.}
    out=${raw%.*}
    out=${out//$'\r'/}
    err=$(tr -d '\r' <"$work/stderr.txt"; echo .)
    err=${err%.}
}

# lines [LINE...]: the LINEs, each ended by a line break (nothing for none), as one text.
lines() {
    [ $# -gt 0 ] && printf '%s\n' "$@"
    return 0
}

# expect CODE [LINE...]: the last run ended with exit code CODE and its standard output was the
# LINEs, each ended by a line break (no LINE: no output at all). A LINE may hold several lines.
expect() {
    local want
    want=$(lines "${@:2}"; echo .)
    want=${want%.}
    [ "$code" = "$1" ] || fail "exit code $code, expected $1; output [$out]${err:+; error output [$err]}"
    [ "$out" = "$want" ] || fail "output [$out], expected [$want]${err:+; error output [$err]}"
}

# expect_err [LINE...]: the last run's error output was the LINEs, as expect says.
expect_err() {
    local want
    want=$(lines "$@"; echo .)
    want=${want%.}
    [ "$err" = "$want" ] || fail "error output [$err], expected [$want]"
}
