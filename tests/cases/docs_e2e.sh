#!/usr/bin/env bash
# The examples of the reference documentation (docs/examples/*), packed and run as the pages say:
# every example folder is packed with wizpack from the entries its pack.args lists, then run with
# the command lines its `expected` file gives, and what each run printed, logged and returned is
# checked against that file. A second case checks the links between the pages and the folders.
#
#   docs_e2e.sh example DIR LAUNCHER WIZPACK WIZJAVA VERIFY_JAR WIZARD_JAR [EMULATOR] [JAVA]
#   docs_e2e.sh links DOCS_DIR
#
# EMULATOR is empty for the native build and the Wine loader for the Windows build. JAVA is the
# host's java program (natively): the runtimes an example asks for as "jdk" are the host's Java 17
# there. Under Wine they are the stand-in JVM (WIZJAVA), which answers the verification like a
# Java 17.0.12 and records how it was started. An example that needs "jdk" is skipped (exit 77)
# natively when the host has no Java 17.
#
# pack.args: one wizpack entry a line ("--type T [--id I] [--name N] FILE"), "#" comments and
# blank lines ignored; a line "--style N" goes before the launcher. {system} in a line is "linux"
# or "windows", so an example can carry one file per system. Verify.jar and wizard.jar are the
# build's (java/), put beside the example's files.
#
# expected: "#" lines are the description for the reader; every other line is one of
#   runtime DIR jdk|VERSION  before the runs: a Java runtime at DIR (relative to the launcher):
#                            "jdk" is the host's Java 17 natively; a VERSION is the stand-in
#                            reporting java.version=VERSION; every stand-in prints the line
#                            "Sample wizard is running" when it runs as the wizard
#   run ARGS...              starts a run: the launcher with "-cv:log run.log -cv:tempdir tmp"
#                            and ARGS (quoted like a shell's words; "-console" is required, so
#                            that the Windows launcher reports on the console)
#   exit N                   the run's exit code (-1 is 255 to the shell)
#   out TEXT                 a line of standard output (progress dots in front left out), each
#                            after the one the previous "out" matched
#   no-out TEXT              no line of standard output is TEXT
#   answer TEXT              the lines "answer" gives are the whole standard output, in order
#   log TEXT / no-log TEXT   the same for the log file run.log
#   args WORDS...            the wizard's arguments after its class (the real sample wizard
#                            prints them; the stand-in records them)
#   file-line N TEXT         the file named by answer line N holds a line TEXT
# In TEXT, "*" stands for any text, and {dir} (the launcher's folder as the launcher writes it),
# {tmp} ({dir} and the temporary folder "tmp"), {sep} (the path separator), {exe} (".exe" or
# nothing), {cpsep} (the class path separator) and {system} are filled in, also in the words of
# "run" and "args". After every run the temporary folder must be empty, except for the files the
# answer names.
#
# DOCS_KEEP=1 keeps the work folder (the packed launcher, its log and output) and prints its path.
set -u
shopt -s extglob

. "$(dirname "${BASH_SOURCE[0]}")/../support/e2e.sh"
on_fail() { show_log "${work:-}/run.log"; }

# ---- links: every example folder is shown by a page, and every link of a page leads somewhere ----
# The anchor of a heading, as Markdown viewers make it: lower case, blanks to "-", punctuation
# other than "-" and "_" left out.
anchors_of() { # PAGE
    sed -n 's/^#\{1,6\} //p' "$1" | tr 'A-Z' 'a-z' | sed 's/[^a-z0-9 _-]//g; s/ /-/g'
}
if [ "$1" = links ]; then
    test_name=docs.links
    docs=$(realpath "$2")
    cd "$docs" || fail "no folder $docs"
    shown=$(grep -oh '](examples/[A-Za-z0-9_.-]*/)' ./*.md | sed 's/^](//; s/)$//' | sort -u)
    for folder in examples/*/; do
        grep -qxF "$folder" <<<"$shown" || fail "no page shows the example $folder"
        [ -f "$folder/expected" ] && [ -f "$folder/pack.args" ] ||
            fail "$folder has no expected or no pack.args file"
    done
    for page in ./*.md; do
        while IFS= read -r target; do
            file=${target%%#*}
            anchor=""
            [[ $target == *#* ]] && anchor=${target#*#}
            [ -z "$file" ] && file=$page
            # The pages on packing and signing are written separately; checked once they exist.
            if [[ $file == packing.md || $file == signing.md ]] && [ ! -e "$file" ]; then
                continue
            fi
            [ -e "$file" ] || fail "$page links to $file, which does not exist"
            if [ -n "$anchor" ]; then
                anchors_of "$file" | grep -qxF "$anchor" ||
                    fail "$page links to $target: $file has no heading with that anchor"
            fi
        done < <(grep -oh '](\([A-Za-z0-9_./#-]*\))' "$page" | sed 's/^](//; s/)$//' | sort -u)
    done
    passed
    exit 0
fi

# ---- example ----------------------------------------------------------------------------------
[ "$1" = example ] || {
    echo "usage: docs_e2e.sh example DIR ... | links DOCS_DIR" >&2
    exit 2
}
example=$(realpath "$2")
test_name=docs.example.$(basename "$example")
launcher=$(realpath "$3")
wizpack=$(realpath "$4")
standin=$(realpath "$5")
verify_jar=$(realpath "$6")
wizard_jar=$(realpath "$7")
emulator=${8:-}
host_java=${9:-}

system=linux
exe=""
sep=/
cpsep=:
if [ -n "$emulator" ]; then
    system=windows
    exe=.exe
    sep='\'
    cpsep=';'
    export WINEDEBUG=-all
fi
[ -f "$example/expected" ] || fail "no expected file in $example"
[ -f "$example/pack.args" ] || fail "no pack.args file in $example"

work=$(mktemp -d "${TMPDIR:-/tmp}/wiz-docs-e2e.XXXXXX")
trap 'if [ -n "${DOCS_KEEP:-}" ]; then echo "kept: $work" >&2; else rm -rf "$work"; fi' EXIT
cd "$work" || exit 1
unset JAVA_HOME

. "$(dirname "${BASH_SOURCE[0]}")/launcher_paths.sh"
dir=$(native_path "$work")

fill() { # TEXT: the placeholders filled in
    local t=$1 tmpdir="$dir${sep}tmp"
    t=${t//\{tmp\}/"$tmpdir"}
    t=${t//\{dir\}/"$dir"}
    t=${t//\{sep\}/"$sep"}
    t=${t//\{exe\}/"$exe"}
    t=${t//\{cpsep\}/"$cpsep"}
    t=${t//\{system\}/"$system"}
    printf '%s' "$t"
}

matches() { # TEXT PATTERN: whether TEXT is PATTERN, "*" standing for any text
    local text=$1 rest=$2 glob=""
    while :; do
        glob+=$(printf '%q' "${rest%%\**}")
        [[ $rest == *\** ]] || break
        glob+='*'
        rest=${rest#*\*}
    done
    eval "[[ \$text == $glob ]]"
}

words() { # TEXT: its words, one a line, split and unquoted like a shell's
    [ -z "${1//[[:space:]]/}" ] && return 0
    printf '%s' "$1" | xargs printf '%s\n' || fail "unbalanced quotes in [$1]"
}

# The host's Java 17 home (natively): a java-17 runtime in /usr/lib/jvm, else JAVA's own home.
jdk_home=""
find_jdk() {
    local candidate home
    for candidate in /usr/lib/jvm/java-17-*/bin/java "$host_java"; do
        [ -n "$candidate" ] && [ -x "$candidate" ] || continue
        if "$candidate" -version 2>&1 | head -n 1 | grep -q 'version "17[."]'; then
            home=$(dirname "$(dirname "$(realpath "$candidate")")")
            jdk_home=$home
            return 0
        fi
    done
    return 1
}

# The lines of `expected` that are not comments.
expected_lines=()
while IFS= read -r line || [ -n "$line" ]; do
    line=${line%$'\r'}
    [[ -z "${line//[[:space:]]/}" || $line == \#* ]] && continue
    expected_lines+=("$line")
done <"$example/expected"

# ---- the example's files, its runtimes and the launcher ----
cp -R "$example/." .
cp "$verify_jar" Verify.jar
cp "$wizard_jar" wizard.jar
mkdir tmp
standins=()
for line in "${expected_lines[@]}"; do
    [[ $line == runtime\ * ]] || continue
    read -r _ rdir kind <<<"$line"
    [ -n "$kind" ] || fail "runtime needs a folder and a kind: [$line]"
    if [ "$kind" = jdk ] && [ -z "$emulator" ]; then
        if [ -z "$jdk_home" ] && ! find_jdk; then
            skip "no Java 17 on this host (/usr/lib/jvm/java-17-*)"
        fi
        mkdir -p "$(dirname "$rdir")"
        ln -s "$jdk_home" "$rdir"
        continue
    fi
    version=$kind
    [ "$kind" = jdk ] && version=17.0.12
    mkdir -p "$rdir/bin"
    cp "$standin" "$rdir/bin/java$exe"
    printf 'property.java.version=%s\nproperty.java.vendor=Stand-in Runtime\n%s\n' "$version" \
        'stdout=Sample wizard is running' >"$rdir/bin/test_jvm.cfg"
    standins+=("$rdir")
done

style=()
entries=()
while IFS= read -r line || [ -n "$line" ]; do
    line=${line%$'\r'}
    [[ -z "${line//[[:space:]]/}" || $line == \#* ]] && continue
    mapfile -t w < <(words "$(fill "$line")")
    if [ "${w[0]}" = --style ]; then style+=("${w[@]}"); else entries+=("${w[@]}"); fi
done <"$example/pack.args"
if [ -n "$emulator" ]; then
    cp "$launcher" base.exe
    cp "$wizpack" wizpack.exe
    $emulator ./wizpack.exe -o setup.exe "${style[@]}" base.exe "${entries[@]}" >pack.log 2>&1 ||
        fail "wizpack: $(tr -d '\r' <pack.log)"
    rm -f base.exe wizpack.exe
else
    "$wizpack" -o setup "${style[@]}" "$launcher" "${entries[@]}" >pack.log 2>&1 ||
        fail "wizpack: $(cat pack.log)"
fi

# ---- the runs ----
run_args=()
out_lines=()
log_lines=()
answers=()
code=""
runs=0

# The wizard's arguments after its class: from the stand-in's record of its last wizard run
# (a run without the argument "Verify"), else from what the real sample wizard printed.
wizard_args() {
    local r record="" line count="" i=0
    for r in "${standins[@]}"; do
        [ -f "$r/bin/test_jvm.log" ] || continue
        record+=$(tr -d '\r' <"$r/bin/test_jvm.log" | awk '
            /^run$/ { n = 0; verify = 0; next }
            /^arg\[[0-9]+\]=/ {
                v = $0; sub(/^arg\[[0-9]+\]=/, "", v); a[n++] = v; if (v == "Verify") verify = 1
                next
            }
            /^end$/ && !verify {
                last = "wizard\n"; after = 0
                for (i = 0; i < n; i++) { if (after) last = last "arg=" a[i] "\n"; if (a[i] == "SampleWizard") after = 1 }
            }
            END { printf "%s", last }')
    done
    if [ -n "$record" ]; then
        sed -n 's/^arg=//p' <<<"$record"
        return
    fi
    for line in "${out_lines[@]}"; do
        line=${line##*(.)}
        if [[ $line == args=* ]]; then count=${line#args=}; continue; fi
        if [ -n "$count" ] && [[ $line == "arg[$i]="* ]]; then
            printf '%s\n' "${line#"arg[$i]="}"
            i=$((i + 1))
        fi
    done
}

finish_run() {
    [ "$runs" -gt 0 ] || return 0
    # The answer lines, when there are any, are the whole output.
    if [ "${#answers[@]}" -gt 0 ]; then
        [ "${#out_lines[@]}" = "${#answers[@]}" ] ||
            fail "run [${run_args[*]}]: ${#out_lines[@]} lines of output for ${#answers[@]} answer lines: $(printf '[%s] ' "${out_lines[@]}")"
        local i
        for ((i = 0; i < ${#answers[@]}; i++)); do
            matches "${out_lines[i]}" "${answers[i]}" ||
                fail "run [${run_args[*]}]: answer line $((i + 1)) is [${out_lines[i]}], not [${answers[i]}]"
        done
    fi
    # Nothing temporary is left but the files the answer hands out.
    local entry kept a
    for entry in tmp/*; do
        [ -e "$entry" ] || continue
        kept=0
        for a in "${out_lines[@]}"; do
            [ "$(local_path "$a")" = "$work/$entry" ] && kept=1
        done
        [ "$kept" = 1 ] || fail "run [${run_args[*]}]: left in the temporary folder: $entry"
        rm -rf "$entry"
    done
}

start_run() {
    finish_run
    runs=$((runs + 1))
    mapfile -t run_args < <(words "$1")
    local a
    for ((a = 0; a < ${#run_args[@]}; a++)); do run_args[a]=$(fill "${run_args[a]}"); done
    printf '%s\n' "${run_args[@]}" | grep -qx -- -console ||
        fail "run [$1]: every run needs -console"
    local r
    for r in "${standins[@]}"; do rm -f "$r/bin/test_jvm.log"; done
    rm -f run.log
    $emulator "./setup$exe" -cv:log run.log -cv:tempdir tmp "${run_args[@]}" \
        </dev/null >stdout.txt 2>stderr.txt
    code=$?
    mapfile -t out_lines < <(tr -d '\r' <stdout.txt)
    log_lines=()
    [ -f run.log ] && mapfile -t log_lines < <(tr -d '\r' <run.log)
    answers=()
    out_at=0
    log_at=0
}

for line in "${expected_lines[@]}"; do
    keyword=${line%% *}
    text=""
    [[ $line == *\ * ]] && text=${line#* }
    [ "$keyword" = runtime ] && continue
    if [ "$keyword" = run ]; then
        start_run "$text"
        continue
    fi
    [ "$runs" -gt 0 ] || fail "[$line] comes before the first run"
    pattern=$(fill "$text")
    case $keyword in
    exit)
        [ "$code" = $((text & 255)) ] ||
            fail "run [${run_args[*]}]: exit code $code, not $text; output: $(printf '[%s] ' "${out_lines[@]}")"
        ;;
    out)
        found=0
        while [ "$out_at" -lt "${#out_lines[@]}" ]; do
            candidate=${out_lines[out_at]##*(.)}
            out_at=$((out_at + 1))
            if matches "$candidate" "$pattern"; then
                found=1
                break
            fi
        done
        [ "$found" = 1 ] ||
            fail "run [${run_args[*]}]: no output line [$pattern] (in order); output: $(printf '[%s] ' "${out_lines[@]}")"
        ;;
    no-out)
        for candidate in "${out_lines[@]}"; do
            ! matches "${candidate##*(.)}" "$pattern" ||
                fail "run [${run_args[*]}]: output line [$candidate] should not be there"
        done
        ;;
    answer)
        answers+=("$pattern")
        ;;
    log)
        found=0
        while [ "$log_at" -lt "${#log_lines[@]}" ]; do
            log_at=$((log_at + 1))
            if matches "${log_lines[log_at - 1]}" "$pattern"; then
                found=1
                break
            fi
        done
        [ "$found" = 1 ] || fail "run [${run_args[*]}]: no log line [$pattern] (in order)"
        ;;
    no-log)
        for candidate in "${log_lines[@]}"; do
            ! matches "$candidate" "$pattern" ||
                fail "run [${run_args[*]}]: log line [$candidate] should not be there"
        done
        ;;
    args)
        mapfile -t want < <(words "$text")
        for ((a = 0; a < ${#want[@]}; a++)); do want[a]=$(fill "${want[a]}"); done
        mapfile -t got < <(wizard_args)
        [ "$(printf '[%s]' "${got[@]}")" = "$(printf '[%s]' "${want[@]}")" ] ||
            fail "run [${run_args[*]}]: the wizard got $(printf '[%s]' "${got[@]}"), not $(printf '[%s]' "${want[@]}")"
        ;;
    file-line)
        n=${text%% *}
        pattern=$(fill "${text#* }")
        [ "$n" -ge 1 ] 2>/dev/null && [ "$n" -le "${#out_lines[@]}" ] ||
            fail "file-line: no answer line $n"
        file=$(local_path "${out_lines[n - 1]}")
        [ -f "$file" ] || fail "run [${run_args[*]}]: answer line $n names no file: $file"
        found=0
        while IFS= read -r candidate; do
            matches "$candidate" "$pattern" && found=1
        done < <(tr -d '\r' <"$file")
        [ "$found" = 1 ] || fail "run [${run_args[*]}]: $file has no line [$pattern]: $(cat "$file")"
        ;;
    *)
        fail "unknown line in expected: [$line]"
        ;;
    esac
done
[ "$runs" -gt 0 ] || fail "expected names no run"
finish_run
passed "($runs runs)"
