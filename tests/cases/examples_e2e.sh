#!/usr/bin/env bash
# End-to-end checks of the example documents in examples/ (the ones the demo packs): they are
# packed as examples/README.md says into a launcher of the build under test and run against fake
# JVM homes holding the stand-in JVM (wizjava), on this system's own descriptors (linux/ natively,
# windows/ under Wine).
#
#   examples_e2e.sh CASE LAUNCHER WIZPACK WIZJAVA [EMULATOR]
#
# EMULATOR is empty for the native build and the Wine loader for the Windows build. Each case
# works in a fresh temporary directory, removed afterwards.
#
# search     every descriptor packed (each one must parse); SEARCH with a runtime bundled beside
#            the launcher (jre) prints 1, its home and a JVM file of the bundled descriptor, which
#            verified it once
# versions   SEARCH_ALL over a test tree with one runtime per Java version: each version
#            descriptor accepts exactly its own version (1.8 and 11 to 25 all have one), the
#            bundled one its 21; 1.7, 9 and 10 are taken by none; every descriptor has the class
#            path tags of its system
# wizard     the whole example (instructions, descriptors, launch script, archives): the bundled
#            runtime is started as the sample wizard with the application archive on its class
#            path, shares the console (its output is not captured), and nothing temporary is left
# generated  (native) examples/jvm/generate.sh writes exactly the committed descriptors
set -u

case_name=$1
launcher=$(realpath "$2")
wizpack=$(realpath "$3")
java=$(realpath "$4")
emulator=${5:-}
examples=$(realpath "$(dirname "$0")/../../examples")

work=$(mktemp -d "${TMPDIR:-/tmp}/wiz-examples-e2e.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

fail() {
    echo "FAIL [examples.$case_name]: $*" >&2
    [ -f run.log ] && tr -d '\r' <run.log | grep -av '^  \|^file type' | sed 's/^/  log: /' >&2
    exit 1
}

system=linux
suffix=""
cpsep=:
if [ -n "$emulator" ]; then
    system=windows
    suffix=.exe
    cpsep=';'
    export WINEDEBUG=-all
fi
descriptors=$examples/jvm/$system
# A path as the launcher sees it: Wine shows the root of the file system as drive Z:.
native_path() {
    if [ -n "$emulator" ]; then
        local p="Z:$1"
        echo "${p//\//\\}"
    else
        echo "$1"
    fi
}
unset JAVA_HOME
mkdir tmp

# home DIR VERSION [MORE_CONFIG]: a fake JVM home whose java program reports the version.
home() {
    mkdir -p "$1/bin"
    cp "$java" "$1/bin/java$suffix"
    printf 'property.java.version=%s\nproperty.java.vendor=Example Runtime\n%s' "$2" "${3:-}" \
        >"$1/bin/test_jvm.cfg"
}

# The descriptors in the order examples/README.md packs them: the bundled runtime's first, then
# the version descriptors newest first.
ordered_descriptors() {
    echo bundled.jvm
    (cd "$descriptors" && ls java-*.jvm | sort -rV)
}

# pack [ENTRY_OPTIONS...]: setup(.exe) with the example instructions, every descriptor in order,
# a verification archive (the stand-in JVM needs none) and the given entries; the files are
# copied here so that the Windows wizpack gets plain names.
pack() {
    local entries=() f
    cp "$examples/wizard/instructions.tag" "$descriptors"/*.jvm .
    for f in $(ordered_descriptors); do entries+=(--type jvm "$f"); done
    printf 'PK' >Verify.jar
    cp "$launcher" "base$suffix"
    cp "$wizpack" "wizpack$suffix"
    $emulator "./wizpack$suffix" -o "setup$suffix" "base$suffix" \
        --type instructions instructions.tag "${entries[@]}" --type verification Verify.jar "$@" \
        >pack.log 2>&1 || fail "wizpack: $(cat pack.log)"
    rm -f "base$suffix" "wizpack$suffix"
}

# run ARGS...: runs setup with the console host ("-console" unless $host says otherwise), a log
# and the temporary directory tmp; sets $out (standard output, carriage returns dropped) and $code.
run() {
    local raw
    raw=$($emulator "./setup$suffix" ${host--console} -cv:log run.log -cv:tempdir tmp "$@" \
        </dev/null 2>stderr.txt; echo ".$?")
    code=${raw##*.}
    out=${raw%.*}
    out=${out//$'\r'/}
}

# tag_of FILE NAME: the value of a single-value tag of a JVM file the launcher wrote.
tag_of() { tr -d '\r' <"$1" | sed -n "s/^$2:  //p"; }
# A path the launcher printed, as this shell sees it.
local_path() {
    if [ -n "$emulator" ]; then sed 's|^Z:||; s|\\|/|g' <<<"$1"; else echo "$1"; fi
}
runs() { grep -c '^run' "$1/bin/test_jvm.log" 2>/dev/null || echo 0; }
no_temporary_files() {
    [ -z "$(ls -A tmp)" ] || fail "left in the temporary directory: $(ls -A tmp)"
}

bundled_desc=$(sed -n 's/^DESC: //p' "$descriptors/bundled.jvm")

case $case_name in
search)
    home jre 21.0.5
    pack
    printf 'ACTION: SEARCH\nLOGFILE: run.log\n' >in.tag
    run -cv:silent -cv:in in.tag
    [ "$code" = 0 ] || fail "exit code $code; output [$out]"
    file=$(sed -n 3p <<<"$out")
    [ "$out" = "1
$(native_path "$work/jre")
$file
" ] || fail "output [$out]"
    file=$(local_path "$file")
    [ -f "$file" ] || fail "the JVM file $file is gone"
    [ "$(tag_of "$file" DESC)" = "$bundled_desc" ] ||
        fail "not the bundled descriptor: $(cat "$file")"
    [ "$(tag_of "$file" JVM_TEMP)" = 1 ] || fail "JVM_TEMP: $(cat "$file")"
    [ "$(runs jre)" = 1 ] || fail "the bundled runtime was run $(runs jre) times"
    rm -f "$file"
    no_temporary_files
    ;;
versions)
    required=(25 24 23 22 21 20 19 18 17 16 15 14 13 12 11 8)
    for v in "${required[@]}"; do
        [ -f "$descriptors/java-$v.jvm" ] || fail "no descriptor java-$v.jvm"
    done
    # expected: "DESC=home" for every match SEARCH_ALL must report.
    expected=("$bundled_desc=rt-21.0.1")
    for f in "$descriptors"/java-*.jvm; do
        v=${f##*/java-}
        v=${v%.jvm}
        version=$v.0.1
        [ "$v" = 8 ] && version=1.8.0_432
        home "drives/rt-$version" "$version"
        expected+=("$(sed -n 's/^DESC: //p' "$f")=rt-$version")
    done
    for version in 1.7.0_80 9.0.4 10.0.2; do home "drives/rt-$version" "$version"; done
    pack
    printf 'ACTION: SEARCH_ALL\nLOGFILE: run.log\n' >in.tag
    WIZ_SEARCH_DRIVES=$(native_path "$work/drives") run -cv:silent -cv:in in.tag
    [ "$code" = 0 ] || fail "exit code $code; output [$out]"
    mapfile -t lines <<<"${out%$'\n'}"
    found=()
    for ((i = 1; i + 1 < ${#lines[@]}; i += 2)); do
        file=$(local_path "${lines[i + 1]}")
        [ -f "$file" ] || fail "the JVM file ${lines[i + 1]} is missing"
        [ "$(tag_of "$file" JVM_HOME)" = "${lines[i]}" ] || fail "JVM_HOME of $file: $(cat "$file")"
        # What the launch script needs of every descriptor: the class path option and separator.
        [ "$(tag_of "$file" CLASSPATH)" = '"-cp "' ] &&
            [ "$(tag_of "$file" CLASSPATH_SEPARATOR)" = "$cpsep" ] ||
            fail "the class path tags of $file: $(cat "$file")"
        found+=("$(tag_of "$file" DESC)=$(local_path "${lines[i]}" | sed 's|.*/||')")
    done
    [ "${lines[0]}" = "${#found[@]}" ] || fail "count ${lines[0]} for ${#found[@]} matches: [$out]"
    want=$(printf '%s\n' "${expected[@]}" | sort)
    got=$(printf '%s\n' "${found[@]}" | sort)
    [ "$got" = "$want" ] || fail "matches (descriptor=home):
$(diff <(echo "$want") <(echo "$got"))"
    ;;
wizard)
    home jre 21.0.5 'stdout=the wizard ran'$'\n'
    cp "$examples/wizard/launch-$system.tag" .
    printf 'PK' >wizard.jar
    pack --type launchscript "launch-$system.tag" --type application wizard.jar
    # "-console" lets the wizard share the console whatever the launch script says, so natively
    # the launcher runs without it (its host is the console there too) and DISPLAY_CONSOLE
    # decides; the Windows launcher needs it here (without it, it opens its progress window).
    host=""
    [ -n "$emulator" ] && host=-console
    run
    [ "$code" = 0 ] || fail "exit code $code; output [$out]"
    case $out in
    *"the wizard ran"*) ;;
    *) fail "the wizard's output is not on the console: [$out]" ;;
    esac
    grep -aq "the wizard ran" run.log && fail "the wizard's output was captured into the log"
    [ "$(runs jre)" = 2 ] ||
        fail "the bundled runtime ran $(runs jre) times, not twice (verification and wizard)"
    record=$(tr -d '\r' <jre/bin/test_jvm.log | awk '/^run$/ { r = "" } { r = r $0 "\n" }
        END { printf "%s", r }')
    archive=$(sed -n 's/^arg\[2\]=//p' <<<"$record")
    grep -qx 'arg\[1\]=-cp' <<<"$record" && grep -qx 'arg\[3\]=SampleWizard' <<<"$record" ||
        fail "not started as the sample wizard: $record"
    case $archive in
    "$(native_path "$work/tmp")"*wizard.jar) ;;
    *) fail "the class path is not the extracted application archive: [$archive]" ;;
    esac
    grep -qxF "JAVA_HOME=$(native_path "$work/jre")" <<<"$record" || fail "JAVA_HOME: $record"
    no_temporary_files
    ;;
generated)
    bash "$examples/jvm/generate.sh" "$work/generated" >gen.log 2>&1 ||
        fail "generate.sh: $(cat gen.log)"
    for s in windows linux; do
        diff -r -x bundled.jvm "$work/generated/$s" "$examples/jvm/$s" >diff.txt ||
            fail "examples/jvm/$s is not the output of examples/jvm/generate.sh (run it):
$(cat diff.txt)"
    done
    ;;
*)
    fail "unknown case"
    ;;
esac
echo "ok [examples.$case_name]"
