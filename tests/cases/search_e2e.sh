#!/usr/bin/env bash
# End-to-end runs of the JVM search and the launch on a messy machine, with a packed launcher and
# the stand-in JVM (wizjava) in fake homes; natively some cases also use the machine's own Java
# runtime with the real verification class and sample wizard.
#
#   search_e2e.sh CASE LAUNCHER WIZPACK WIZJAVA EMULATOR BUILD_DIR [JAVA VERIFY_JAR WIZARD_JAR]
#
# EMULATOR is empty for the native build and the Wine loader for the Windows build; BUILD_DIR is
# the build's directory (Wine prefixes of their own go there). JAVA and the jars may be empty.
# Each case works in a fresh temporary directory, removed afterwards.
#
# odd-paths         a launcher in a folder named with @, % and # and a blank, its temporary
#                   folder and its bundled runtime too: the runtime is found, verified and
#                   launched, and the author's tokens around those paths still expand
# odd-homes         JAVA_HOME names a home called #HOME#, @JVM_EXE@, %TEMP_DIR%(), lone%, a#b#c
#                   (natively also with a double quote): its java is verified and launched, and
#                   a decoy where the home's name expanded as tokens would point never runs
# broken            broken java programs on JAVA_HOME and PATH: a hinted runtime (natively) or a
#                   registered one (Windows) is still found; with no hints the broken ones are
#                   logged and skipped; a good JAVA_HOME runtime does not win over the hinted or
#                   registered one
# environment       the first descriptor sets a variable for its runtimes; the second
#                   descriptor's verification does not see it (natively: JAVA_TOOL_OPTIONS that
#                   stops the real Java runtime)
# env-mode          a descriptor with the class path in a variable other than CLASSPATH: its
#                   runtime verifies and the wizard gets the class path through "#WIZCP#"
# verify-classpath  VERIFY_CLASSPATH plain, quoted and in doubled quotes, in a folder with @ and %
# execute           EXECUTE_LAUNCHER with relative -cv:tempdir, -cv:log and -cv:in: the embedded
#                   launcher gets them absolute
# recycle           (Windows) a JDK under $Recycle.Bin or System Volume Information of a scanned
#                   drive (a Wine dosdevices drive) is not found, the same JDK elsewhere is
# pick-line         (native) the java program picked on the console from a piped answer: the
#                   prompt's line ends before SEARCH prints its answer
# java-starts       (native) the packed example starts one java per runtime it verifies, plus
#                   the wizard (counted with strace; skipped without it); with -cv:javahome
#                   it starts java twice (a wrapper java counts the starts)
set -u

case_name=$1
launcher=$(realpath "$2")
wizpack=$(realpath "$3")
java=$(realpath "$4")
emulator=${5:-}
build_dir=${6:-}
real_java=${7:-}
verify_jar=${8:-}
wizard_jar=${9:-}
source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/wiz-search-e2e.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

fail() {
    echo "FAIL [search.$case_name]: $*" >&2
    for log in run.log */run.log; do
        [ -f "$log" ] && tr -d '\r' <"$log" | grep -av '^  \|^file type' | sed "s|^|  $log: |" >&2
    done
    exit 1
}

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
. "$source_dir/tests/cases/launcher_paths.sh"
unset JAVA_HOME CLASSPATH WIZCP WIZ_LEAK JAVA_TOOL_OPTIONS

# home DIR VENDOR VERSION [ENV_NAMES]: a fake JVM home whose java program reports the vendor and
# version and records the named variables.
home() {
    mkdir -p "$1/bin"
    cp "$java" "$1/bin/java$suffix"
    printf 'property.java.vendor=%s\nproperty.java.version=%s\nenv=%s\n' "$2" "$3" "${4:-}" \
        >"$1/bin/test_jvm.cfg"
}

# broken DIR: a home whose java program is no program for this system.
broken() {
    mkdir -p "$1/bin"
    printf 'not a program\n' >"$1/bin/java$suffix"
    chmod +x "$1/bin/java$suffix"
}

# descriptor FILE DESC VENDOR [EXTRA_LINES]: a JVM descriptor that wants the vendor and Java 17.
descriptor() {
    {
        printf 'DESC: %s\nJVM_EXE: %s\n' "$2" "$exe"
        printf 'JVM_PROPERTIES:\n  java.vendor=%s\n  java.version=17...\n/:\n' "$3"
        printf 'CLASSPATH: "-cp "\nCLASSPATH_SEPARATOR: %s\n%s' "$cpsep" "${4:-}"
    } >"$1"
}

# launch_script FILE TEMPLATE [EXTRA_LINES]: a launch script whose COMMAND is TEMPLATE as the
# tag document writes it, with SEP standing for the system's path separator.
launch_script() {
    printf 'COMMAND: %s\n%s' "${2//SEP/$sep}" "${3:-}" >"$1"
}

# pack OUTPUT SCRIPT_LINES [ENTRY_OPTIONS...]: a launcher with the instruction script, a
# verification archive (the stand-in JVM needs none) and the given entries.
pack() {
    local output=$1 lines=$2
    shift 2
    printf 'INSTRUCTIONS:\n%s\n/:\n' "$lines" >script.tag
    [ -f Verify.jar ] || printf 'PK' >Verify.jar
    cp "$launcher" "base$suffix"
    cp "$wizpack" "wizpack$suffix"
    $emulator "./wizpack$suffix" -o "$output$suffix" "base$suffix" --type instructions script.tag \
        --type verification Verify.jar "$@" >pack.log 2>&1 || fail "wizpack: $(cat pack.log)"
    rm -f "base$suffix" "wizpack$suffix"
}

# run [ENV=VALUE...] -- ARGS...: runs setup silently with the console host, a log and the
# temporary directory tmp; sets $out (standard output without carriage returns) and $code.
run() {
    local envs=()
    while [ "$1" != -- ]; do
        envs+=("$1")
        shift
    done
    shift
    mkdir -p tmp
    local raw
    raw=$(env "${envs[@]}" $emulator "./setup$suffix" -console -cv:silent -cv:log run.log \
        -cv:tempdir tmp "$@" </dev/null 2>stderr.txt; echo ".$?")
    code=${raw##*.}
    out=${raw%.*}
    out=${out//$'\r'/}
}

# search [ENV=VALUE...]: the batch action SEARCH; $found is the home it printed, without a
# separator at its end. The JVM file it leaves for the caller is removed.
search() {
    printf 'ACTION: SEARCH\nLOGFILE: run.log\n' >in.tag
    rm -f run.log
    run "$@" -- -cv:in in.tag
    [ "$code" = 0 ] || fail "SEARCH: exit code $code"
    found=$(sed -n 2p <<<"$out")
    found=${found%"$sep"}
    local file
    file=$(sed -n 3p <<<"$out")
    [ -n "$file" ] && rm -f "$(local_path "$file")"
}

# The number of runs recorded by the java program of a home, and its last record.
runs() { grep -c '^run' "$1/bin/test_jvm.log" 2>/dev/null || echo 0; }
record() {
    tr -d '\r' <"$1/bin/test_jvm.log" |
        awk '/^run$/ { r = "" } { r = r $0 "\n" } END { printf "%s", r }'
}
expect_line() { # TEXT LINE
    grep -aqxF -- "$2" <<<"$1" || fail "no line [$2] in: $1"
}
no_temporary_files() {
    [ -z "$(ls -A tmp 2>/dev/null)" ] || fail "left in the temporary directory: $(ls -A tmp)"
}

# The machine's own Java runtime: its home, and whether the native cases can use it.
jdk_home=""
if [ -z "$emulator" ] && [ -n "$real_java" ] && [ -n "$verify_jar" ]; then
    jdk_home=$(dirname "$(dirname "$(realpath "$real_java")")")
fi

launch_lines='FIND_JVM 0 0
JMP0 @N1@ END
LAUNCH @S2@ 0
:END'

case $case_name in
odd-paths)
    dir='tools@work 100%#1'
    mkdir -p "$dir/tmp@me 50%"
    home "$dir/jre" "Acme Runtime" 17.0.2
    descriptor a.jvm Bundled "Acme..." $'PATH_HINT: jre\nMAX_HEAP: 256m\nSYSTEM: -D\nSYSTEM_SEPARATOR: =\n'
    launch_script launch.tag '"""@JVM_HOME@SEP@JVM_EXE@"" %SYSTEMPROP%(""wizard.dir"", """"""%LAUNCHER_DIR%()"""""") -Xmx@MAX_HEAP@ ""-Dtemp=%TEMP_DIR%()"" Wizard"'
    pack "$dir/setup" "$launch_lines" --type jvm a.jvm --type launchscript launch.tag
    raw=$(cd "$dir" && $emulator "./setup$suffix" -console -cv:silent -cv:log run.log \
        -cv:tempdir "tmp@me 50%" </dev/null 2>&1; echo ".$?")
    [ "${raw##*.}" = 0 ] || fail "exit code ${raw##*.}: ${raw%.*}"
    [ "$(runs "$dir/jre")" = 2 ] || fail "runs of the bundled runtime: $(runs "$dir/jre")"
    rec=$(record "$dir/jre")
    expect_line "$rec" "arg[1]=-Dwizard.dir=$(native_path "$work/$dir")"
    expect_line "$rec" "arg[2]=-Xmx256m"
    expect_line "$rec" "arg[3]=-Dtemp=$(native_path "$work/$dir/tmp@me 50%")"
    expect_line "$rec" "arg[4]=Wizard"
    [ -z "$(ls -A "$dir/tmp@me 50%")" ] || fail "left in the temporary folder"
    ;;
odd-homes)
    names=('#HOME#' '@JVM_EXE@' '%TEMP_DIR%()' 'lone%' 'a#b#c')
    [ -z "$emulator" ] && names+=('q"uote')
    descriptor a.jvm Any "Acme..."
    launch_script launch.tag '"""@JVM_HOME@SEP@JVM_EXE@"" Wizard"'
    pack setup "$launch_lines" --type jvm a.jvm --type launchscript launch.tag
    # Where each name, read as tokens, used to lead: #HOME# gives the value of HOME (set for
    # the run; Windows may not hand it on), @JVM_EXE@ the program's path, %TEMP_DIR%() the
    # temporary folder (natively), #b# an unset variable; a quote ends the program's path.
    decoys=(rt-decoyhome rt- "rt-bin/java$suffix" rt-ac)
    [ -z "$emulator" ] && decoys+=("rt-$work/tmp")
    for d in "${decoys[@]}"; do home "$d" "Acme Runtime" 17.0.2; done
    [ -z "$emulator" ] && cp "$java" rt-q
    for name in "${names[@]}"; do
        h="rt-$name"
        home "$h" "Acme Runtime" 17.0.2
        rm -f run.log
        run HOME=decoyhome "JAVA_HOME=$(native_path "$work/$h")" --
        [ "$code" = 0 ] || fail "$name: exit code $code; output [$out]"
        [ "$(runs "$h")" = 2 ] || fail "$name: runs of the home: $(runs "$h")"
        expect_line "$(record "$h")" "arg[1]=Wizard"
        for d in "${decoys[@]}"; do
            [ -f "$d/bin/test_jvm.log" ] && fail "$name: the decoy $d ran"
        done
        [ -f test_jvm.log ] && fail "$name: the decoy rt-q ran"
        no_temporary_files
    done
    ;;
broken)
    broken jh
    broken pathdir
    home good "Acme Runtime" 17.0.2
    home good2 "Acme Runtime" 17.0.2
    home jhgood "Acme Runtime" 17.0.3
    if [ -n "$emulator" ]; then
        . "$source_dir/scripts/wine-env.sh"
        export WIZ_WINE=$emulator
        key="Software\\WizSearchTest$$$RANDOM"
        trap '$emulator reg delete "HKCU\\$key" /f >/dev/null 2>&1; rm -rf "$work"' EXIT
        $emulator reg add "HKCU\\$key" /v Home /d "$(native_path "$work/good")" /f >/dev/null 2>&1 ||
            fail "reg add"
        hint="PLATFORM_HINT: \\HKEY_CURRENT_USER\\$key\\Home"$'\n'
        path_var=WINEPATH
        path_list=$(native_path "$work/pathdir/bin")
        path_list2="$path_list;$(native_path "$work/good2/bin")"
    else
        hint=$'PATH_HINT: good\n'
        path_var=PATH
        path_list="$work/pathdir/bin:$PATH"
        path_list2="$work/pathdir/bin:$work/good2/bin:$PATH"
    fi
    # Broken java programs where the system's own places are: the hinted runtime is found.
    descriptor first.jvm First "Acme..."
    descriptor second.jvm Second "Acme..." "$hint"
    pack setup "" --type jvm first.jvm --type jvm second.jvm
    search "JAVA_HOME=$(native_path "$work/jh")" "$path_var=$path_list"
    [ "$found" = "$(native_path "$work/good")" ] || fail "with broken programs: [$out]"
    # A good JAVA_HOME runtime that the first descriptor accepts does not win either.
    search "JAVA_HOME=$(native_path "$work/jhgood")"
    [ "$found" = "$(native_path "$work/good")" ] || fail "JAVA_HOME won: [$out]"
    [ "$(runs jhgood)" = 0 ] || fail "the JAVA_HOME runtime was verified"
    # Without hints the broken programs are logged and passed over.
    pack setup "" --type jvm first.jvm
    search "JAVA_HOME=$(native_path "$work/jh")" "$path_var=$path_list2"
    [ "$found" = "$(native_path "$work/good2")" ] || fail "past the broken programs: [$out]"
    for b in jh pathdir; do
        grep -aqF "WARNING: Skipping JVM at $(native_path "$work/$b")" run.log ||
            fail "no warning for $b"
    done
    no_temporary_files
    ;;
environment)
    home a-home "Acme Runtime" 17.0.2
    home b-home "Acme Runtime" 17.0.2 WIZ_LEAK
    descriptor a.jvm A Nobody $'PATH_HINT: a-home\nSET_ENV_FOR_WIZARD: WIZ_LEAK=1\n'
    descriptor b.jvm B "Acme..." $'PATH_HINT: b-home\n'
    pack setup "" --type jvm a.jvm --type jvm b.jvm
    search
    [ "$found" = "$(native_path "$work/b-home")" ] || fail "not found: [$out]"
    expect_line "$(record b-home)" "env:WIZ_LEAK unset"
    if [ -n "$jdk_home" ]; then
        # The real runtime does not start with an option it does not know.
        ln -s "$jdk_home" jdk-a
        ln -s "$jdk_home" jdk-b
        cp "$verify_jar" Verify.jar
        printf 'DESC: A\nJVM_EXE: bin/java\nJVM_PROPERTIES:\n  java.vendor=Nobody\n/:\n' >a.jvm
        printf 'CLASSPATH: "-cp "\nPATH_HINT: jdk-a\n' >>a.jvm
        printf 'SET_ENV_FOR_WIZARD: JAVA_TOOL_OPTIONS=-XX:+WizNoSuchOption\n' >>a.jvm
        printf 'DESC: B\nJVM_EXE: bin/java\nJVM_PROPERTIES:\n  java.version=...\n/:\n' >b.jvm
        printf 'CLASSPATH: "-cp "\nPATH_HINT: jdk-b\n' >>b.jvm
        pack setup "" --type jvm a.jvm --type jvm b.jvm
        search
        [ "$found" = "$work/jdk-b" ] || fail "the real runtime: [$out]"
    fi
    no_temporary_files
    ;;
env-mode)
    home rt "Acme Runtime" 17.0.2 CLASSPATH,WIZCP
    descriptor e.jvm E "Acme..." $'PATH_HINT: rt\nUSE_CP_ENV_VAR: 1\nCP_ENV_VAR: WIZCP\n'
    launch_script launch.tag '"""@JVM_HOME@SEP@JVM_EXE@"" %CP%() -cp ""#WIZCP#"" Wizard"' \
        'ARCHIVE: """%APPLICATION_ARCHIVE%()"""'$'\n'
    printf 'PK' >app.jar
    pack setup "$launch_lines" --type jvm e.jvm --type launchscript launch.tag \
        --type application app.jar
    run --
    [ "$code" = 0 ] || fail "exit code $code; output [$out]"
    [ "$(runs rt)" = 2 ] || fail "runs: $(runs rt)"
    verification=$(tr -d '\r' <rt/bin/test_jvm.log | awk '/^run$/ { n++ } n == 1')
    grep -aqE "^env:CLASSPATH=.*${sep//\\/\\\\}Verify\.jar$" <<<"$verification" ||
        fail "the verification's class path: $verification"
    expect_line "$verification" "env:WIZCP unset"
    rec=$(record rt)
    expect_line "$rec" "arg[1]=-cp"
    grep -aqE "^arg\[2\]=.*${sep//\\/\\\\}app\.jar$" <<<"$rec" || fail "the wizard: $rec"
    expect_line "$rec" "env:CLASSPATH unset"
    if [ -n "$jdk_home" ] && [ -n "$wizard_jar" ]; then
        ln -s "$jdk_home" jdk
        cp "$verify_jar" Verify.jar
        printf 'DESC: E\nJVM_EXE: bin/java\nJVM_PROPERTIES:\n  java.version=...\n/:\n' >e.jvm
        printf 'PATH_HINT: jdk\nUSE_CP_ENV_VAR: 1\nCP_ENV_VAR: WIZCP\nCLASSPATH_SEPARATOR: :\n' \
            >>e.jvm
        launch_script launch.tag '"""@JVM_HOME@/@JVM_EXE@"" %CP%() -cp ""#WIZCP#"" SampleWizard"' \
            'ARCHIVE: """%APPLICATION_ARCHIVE%()"""'$'\n'
        cp "$wizard_jar" wizard.jar
        pack setup "$launch_lines" --type jvm e.jvm --type launchscript launch.tag \
            --type application wizard.jar
        rm -f run.log
        run --
        [ "$code" = 0 ] || fail "the real runtime: exit code $code; output [$out]"
        grep -aq "Found matching JVM at $work/jdk" run.log || fail "the real runtime did not verify"
        # The wizard shares the console of a launcher started with -console.
        expect_line "$out" "Sample wizard is running"
    fi
    no_temporary_files
    ;;
verify-classpath)
    mkdir "tools@work 100%"
    jar="$work/tools@work 100%/Verify #1.jar"
    printf 'PK' >"$jar"
    home rt "Acme Runtime" 17.0.2
    descriptor v.jvm V "Acme..."
    rt=$(native_path "$work/rt")
    if [ -n "$jdk_home" ]; then
        cp "$verify_jar" "$jar"
        printf 'DESC: V\nJVM_EXE: bin/java\nJVM_PROPERTIES:\n  java.version=...\n/:\n' >v.jvm
        printf 'CLASSPATH: "-cp "\n' >>v.jvm
        rt=$jdk_home
    fi
    pack setup ""
    path=$(native_path "$jar")
    for form in "$path" "\"$path\"" "\"\"\"$path\"\"\""; do
        printf 'ACTION: VERIFY_JVM\nLOGFILE: run.log\nVERIFY_JVM_FILE: v.jvm\n' >in.tag
        printf 'VERIFY_JVM_HOME: %s\nVERIFY_CLASSPATH: %s\nVERIFY_CLASS_NAME: Verify\n' \
            "$rt" "$form" >>in.tag
        run -- -cv:in in.tag
        [ "$out" = 1$'\n' ] || fail "VERIFY_CLASSPATH: $form: output [$out]"
        if [ -z "$jdk_home" ]; then
            rec=$(record rt)
            expect_line "$rec" "arg[1]=-cp"
            expect_line "$rec" "arg[2]=$path"
            expect_line "$rec" "arg[3]=Verify"
        fi
    done
    ;;
execute)
    cp "$java" "inner$suffix"
    pack setup "EXECUTE_LAUNCHER 2" --type launcher "inner$suffix"
    printf 'ACTION: RUN_INSTRUCTIONS\n' >in.tag
    mkdir tmp
    raw=$($emulator "./setup$suffix" -console -cv:tempdir tmp -cv:log run.log -cv:in in.tag \
        </dev/null 2>&1; echo ".$?")
    [ "${raw##*.}" = 0 ] || fail "exit code ${raw##*.}: ${raw%.*}"
    inner_log=""
    for _ in $(seq 1 100); do
        inner_log=$(ls tmp/*/test_jvm.log 2>/dev/null | head -n 1)
        [ -n "$inner_log" ] && grep -q '^end' "$inner_log" && break
        sleep 0.1
    done
    [ -n "$inner_log" ] || fail "the embedded launcher did not run"
    rec=$(tr -d '\r' <"$inner_log")
    expect_line "$rec" "arg[1]=-cv:orig"
    expect_line "$rec" "arg[3]=-console"
    expect_line "$rec" "arg[5]=$(native_path "$work/tmp")"
    expect_line "$rec" "arg[7]=$(native_path "$work/run.log")"
    expect_line "$rec" "arg[9]=$(native_path "$work/in.tag")"
    ;;
recycle)
    . "$source_dir/scripts/wine-env.sh"
    export WIZ_WINE=$emulator
    # A prefix of its own, one test at a time, whose only drives are C: and M: (the test tree).
    wine_drives_prefix "$build_dir/wineprefix-drives" "$work/tree" || fail "cannot create the prefix"
    trap 'rm -f "$WINEPREFIX/dosdevices/m:"; wiz_wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
    home 'tree/$Recycle.Bin/S-1-5-21/jdk-17' "Acme Runtime" 17.0.2
    home 'tree/System Volume Information/jdk-17' "Acme Runtime" 17.0.2
    home tree/apps/jdk-17 "Acme Runtime" 17.0.2
    descriptor tree/a.jvm Scan "Acme..."
    cp "$launcher" tree/base.exe
    cp "$wizpack" tree/wizpack.exe
    printf 'PK' >tree/Verify.jar
    printf 'ACTION: SEARCH_ALL\nLOGFILE: run.log\n' >tree/in.tag
    mkdir tree/tmp
    cd tree || exit 1
    $emulator wizpack.exe -o setup.exe base.exe --type verification Verify.jar --type jvm a.jvm \
        >pack.log 2>&1 || fail "wizpack: $(cat pack.log)"
    raw=$($emulator 'M:\setup.exe' -console -cv:silent -cv:tempdir 'M:\tmp' -cv:in 'M:\in.tag' \
        </dev/null 2>/dev/null; echo ".$?")
    out=${raw%.*}
    out=${out//$'\r'/}
    mapfile -t lines <<<"$out"
    [ "${lines[0]}" = 1 ] && [ "${lines[1]}" = 'M:\apps\jdk-17' ] || fail "found: [$out]"
    [ "$(runs 'System Volume Information/jdk-17')" = 0 ] || fail "System Volume Information"
    [ "$(runs '$Recycle.Bin/S-1-5-21/jdk-17')" = 0 ] || fail "the recycle bin was searched"
    ;;
pick-line)
    # (The pick is verified with the descriptor, which accepts it.)
    home picked Nobody 17.0.2
    descriptor a.jvm Nothing Nobody
    pack setup "" --type jvm a.jvm
    printf 'ACTION: SEARCH\nSHOW_FAIL_MSG: 1\nLOGFILE: run.log\n' >in.tag
    printf '%s\n' "$work/picked/bin/java" >answer.txt
    out=$(./setup -console -cv:tempdir . -cv:in in.tag <answer.txt 2>&1)
    expect_line "$out" "Path of the java program to use: "
    expect_line "$out" "1"
    expect_line "$out" "$work/picked"
    rm -f "$(tail -n 1 <<<"$out")"
    ;;
java-starts)
    command -v strace >/dev/null 2>&1 || {
        echo "search.java-starts: strace is not installed, skipped"
        exit 77
    }
    "$wizpack" -o setup --manifest "$source_dir/examples/linux.manifest" -D "BUILD=$build_dir" \
        >pack.log 2>&1 || fail "wizpack: $(cat pack.log)"
    # (LeakSanitizer, in the sanitizer build, cannot run under ptrace.)
    ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 strace -f -qq -e trace=execve \
        -e signal=none -o trace.txt ./setup -console -cv:log run.log </dev/null >out.txt 2>&1 ||
        fail "the example failed: $(cat out.txt)"
    grep -q "Sample wizard is running" out.txt || fail "no wizard: $(cat out.txt)"
    # A start that fails ends its line with "= -1 ..."; one that strace shows in two parts is
    # counted by its first.
    starts=$(grep -E 'execve\("[^"]*/bin/java"' trace.txt | grep -vc ' = -1 ')
    verified=$(grep -a '^Executing launch script command: ' run.log | grep -a '"Verify"' |
        sed 's/^Executing launch script command: "\([^"]*\)".*/\1/' | sort -u | wc -l)
    echo "search.java-starts: $starts java starts, $verified runtimes verified, 1 wizard"
    [ "$verified" -ge 1 ] && [ "$starts" = $((verified + 1)) ] ||
        fail "$starts starts for $verified runtimes and the wizard"
    # -cv:javahome naming a home whose java records each start and runs the real one: both
    # descriptors try it (the bundled one refuses any version but 21), java starts twice.
    mkdir -p wrapped/bin
    printf '#!/bin/sh\necho start >>"%s"\nexec "%s" "$@"\n' "$work/starts.txt" \
        "$(readlink -f "$real_java")" >wrapped/bin/java
    chmod +x wrapped/bin/java
    ./setup -console -cv:log javahome.log -cv:javahome "$work/wrapped" </dev/null >out.txt 2>&1 ||
        fail "the example with -cv:javahome failed: $(cat out.txt)"
    grep -q "Sample wizard is running" out.txt || fail "no wizard: $(cat out.txt)"
    [ "$(wc -l <starts.txt)" = 2 ] ||
        fail "-cv:javahome started java $(wc -l <starts.txt) times, not twice: $(cat javahome.log)"
    ;;
*)
    fail "unknown case"
    ;;
esac
echo "ok [search.$case_name]"
