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
# versions   SEARCH_ALL over a test tree with runtimes from 1.7 to 26: the bundled descriptor
#            accepts its 21, "Java 17 or newer" every runtime from 17 on (17.0.2, 21, 25-ea,
#            26.0.1) and none before; each runtime runs once, whichever descriptors try it;
#            every descriptor has the class path tags of its system
# range      the example's descriptor with JVM_MAX_VERSION 25 ("Java 17 to 25") over runtimes
#            answering 1.8.0_392, 11.0.22, 17.0.2, 21, 25-ea and 26.0.1: SEARCH takes 25-ea (the
#            newest in range; 26.0.1 is tried first and refused with the range), SEARCH_ALL
#            reports 17.0.2, 21 and 25-ea
# javahome   the example with -cv:javahome naming a Java 17 that the bundled descriptor refuses
#            and the next one accepts: java starts twice (one verification, the wizard)
# no-java    the example where no runtime is found and the pick is cancelled: the script's
#            EXIT 3 shows its message and ends the run with exit code 3
# order      the launcher's lines and the wizard's, read through a pipe, come in the order they
#            were written: a row of dots is ended before the wizard writes, and a status line
#            printed just before the wizard starts comes before the wizard's output
# wizard     the whole example (instructions, descriptors, launch script, archives): the bundled
#            runtime is started as the sample wizard with the application archive on its class
#            path, shares the console (its output is not captured), and nothing temporary is left
# manifest   examples/<system>.manifest packs the whole example: twice the same bytes, the same
#            bytes as the command-line form of examples/README.md, and a launcher that runs
# signed     (Windows) the manifest's launcher signed with osslsigncode and a throw-away
#            self-signed certificate: the signature verifies, and the signed launcher lists,
#            extracts (wizpack and -cv:extract) and runs the wizard exactly as the unsigned one;
#            wizpack refuses to pack onto a signed launcher
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

test_name=examples.$case_name
. "$(dirname "${BASH_SOURCE[0]}")/../support/e2e.sh"
on_fail() { show_log run.log; }

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
. "$(dirname "${BASH_SOURCE[0]}")/launcher_paths.sh"
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
# the one of an installed runtime.
ordered_descriptors() {
    echo bundled.jvm
    echo java-17-or-newer.jvm
}

# pack [ENTRY_OPTIONS...]: setup(.exe) with the example instructions, every descriptor in order,
# a verification archive (the stand-in JVM needs none) and the given entries; the files are
# copied here so that the Windows wizpack gets plain names.
pack() {
    local entries=() f
    cp "$examples/wizard/instructions.tag" "$descriptors"/*.jvm .
    [ -n "${instructions:-}" ] && printf '%s\n' "$instructions" >instructions.tag
    for f in $(ordered_descriptors); do entries+=(--type jvm "$f"); done
    printf 'PK' >Verify.jar
    cp "$launcher" "base$suffix"
    cp "$wizpack" "wizpack$suffix"
    $emulator "./wizpack$suffix" -o "setup$suffix" "base$suffix" \
        --type instructions instructions.tag "${entries[@]}" --type verification Verify.jar "$@" \
        >pack.log 2>&1 || fail "wizpack: $(cat pack.log)"
    rm -f "base$suffix" "wizpack$suffix"
}

# run_setup ARGS...: runs setup with the console host ("-console" unless $host says otherwise), a
# log and the temporary directory tmp (see run in e2e.sh).
run_setup() {
    run $emulator "./setup$suffix" ${host--console} -cv:log run.log -cv:tempdir tmp "$@"
}

# tag_of FILE NAME: the value of a single-value tag of a JVM file the launcher wrote.
tag_of() { tr -d '\r' <"$1" | sed -n "s/^$2:  //p"; }
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
    run_setup -cv:silent -cv:in in.tag
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
    [ "$(ls "$descriptors")" = "$(ordered_descriptors | sort)" ] ||
        fail "descriptors: $(ls "$descriptors")"
    # expected: "DESC=home" for every match SEARCH_ALL must report.
    expected=("$bundled_desc=rt-21")
    for version in 1.7.0_80 1.8.0_432 9.0.4 10.0.2 11.0.22 16.0.2 17.0.2 21 25-ea 26.0.1; do
        home "drives/rt-$version" "$version"
    done
    for version in 17.0.2 21 25-ea 26.0.1; do expected+=("Java 17 or newer=rt-$version"); done
    pack
    printf 'ACTION: SEARCH_ALL\nLOGFILE: run.log\n' >in.tag
    WIZ_SEARCH_DRIVES=$(native_path "$work/drives") run_setup -cv:silent -cv:in in.tag
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
    # Both descriptors ask the same of a runtime: each one ran once.
    for d in drives/rt-*; do
        [ "$(runs "$d")" = 1 ] || fail "$d ran $(runs "$d") times"
    done
    ;;
range)
    for version in 1.8.0_392 11.0.22 17.0.2 21 25-ea 26.0.1; do home "rt-$version" "$version"; done
    # The example's descriptor of an installed runtime with an upper bound, looking beside the
    # launcher.
    sed -e 's/^DESC: .*/DESC: Java 17 to 25/' -e 's/^JVM_MIN_VERSION: 17/&\nJVM_MAX_VERSION: 25/' \
        -e '/^PLATFORM_HINT:/,/^\/:/d' -e '/^PATH_HINT:/,/^\/:/d' \
        "$descriptors/java-17-or-newer.jvm" >range.jvm
    printf 'PATH_HINT: rt-*\n' >>range.jvm
    printf 'PK' >Verify.jar
    cp "$launcher" "base$suffix"
    cp "$wizpack" "wizpack$suffix"
    $emulator "./wizpack$suffix" -o "setup$suffix" "base$suffix" --type instructions \
        "$examples/wizard/instructions.tag" --type jvm range.jvm --type verification Verify.jar \
        >pack.log 2>&1 || fail "wizpack: $(cat pack.log)"
    printf 'ACTION: SEARCH\nLOGFILE: run.log\n' >in.tag
    run_setup -cv:silent -cv:in in.tag
    [ "$code" = 0 ] || fail "exit code $code; output [$out]"
    [ "$(sed -n 2p <<<"$out")" = "$(native_path "$work/rt-25-ea")" ] || fail "SEARCH found [$out]"
    grep -aqF "JVM at $(native_path "$work/rt-26.0.1") is Java 26 (26.0.1); Java 17 to 25 accepts Java 17 to 25." run.log ||
        fail "26.0.1 was not refused with the range: $(grep -a 'Java 2' run.log)"
    for version in 1.8.0_392 11.0.22 17.0.2 21; do
        [ "$(runs "rt-$version")" = 0 ] || fail "rt-$version was tried after a match"
    done
    mkdir drives
    mv rt-* drives/
    printf 'ACTION: SEARCH_ALL\nLOGFILE: run.log\n' >in.tag
    WIZ_SEARCH_DRIVES=$(native_path "$work/drives") run_setup -cv:silent -cv:in in.tag
    [ "$code" = 0 ] || fail "exit code $code; output [$out]"
    got=$(sed -n '2~2p' <<<"${out%$'\n'}" | while read -r h; do local_path "$h" | sed 's|.*/||'; done | sort)
    [ "$(sed -n 1p <<<"$out")" = 3 ] && [ "$got" = "$(printf 'rt-%s\n' 17.0.2 21 25-ea)" ] ||
        fail "SEARCH_ALL found [$out]"
    ;;
javahome)
    home installed 17.0.2 'stdout=the wizard ran'$'\n'
    cp "$examples/wizard/launch-$system.tag" .
    printf 'PK' >wizard.jar
    pack --type launchscript "launch-$system.tag" --type application wizard.jar
    host=""
    [ -n "$emulator" ] && host=-console
    run_setup -cv:javahome "$(native_path "$work/installed")"
    [ "$code" = 0 ] && [[ $out == *"the wizard ran"* ]] || fail "exit code $code; output [$out]"
    # The bundled descriptor refuses 17, "Java 17 or newer" takes the same run's result.
    [ "$(runs installed)" = 2 ] ||
        fail "java started $(runs installed) times, not twice (one verification, the wizard)"
    grep -aq "^The same command ran before in the same folder with the same variables" run.log ||
        fail "the second verification did not reuse the first: $(show_log run.log)"
    no_temporary_files
    ;;
no-java)
    pack
    # No runtime anywhere (the Linux system's own runtimes get the stand-in archive, which none
    # of them can run), and the pick is cancelled (no answer on the console).
    PATH=/usr/bin:/bin JAVA_HOME="" run_setup
    message="This installer needs Java 17 or newer. Get it from https://adoptium.net, then run the installer again."
    [ "$code" = 3 ] || fail "exit code $code, not 3; output [$out]"
    [ "$(grep -v '^$' <<<"$out" | tail -n 1)" = "$message" ] || fail "the message is not last: [$out]"
    log=$(tr -d '\r' <run.log)
    grep -aqxF "$message" <<<"$log" && grep -aq "^EXIT in line [0-9]* ends the script with 3$" <<<"$log" ||
        fail "not logged: $(show_log run.log)"
    no_temporary_files
    ;;
order)
    home jre 21.0.5 'stdout=the wizard ran'$'\n'
    cp "$examples/wizard/launch-$system.tag" .
    printf 'PK' >wizard.jar
    host=""
    [ -n "$emulator" ] && host=-console
    # ordered_run: the example's output through a pipe, each row of dots as one dot.
    ordered_run() {
        pack --type launchscript "launch-$system.tag" --type application wizard.jar
        run_setup
        [ "$code" = 0 ] || fail "exit code $code; output [$out]"
        out=$(sed -E 's/^\.+/./' <<<"$out")
    }
    # The example hides its UI as the wizard starts: the row of dots of the verification is
    # ended before the wizard writes.
    ordered_run
    grep -qx "the wizard ran" <<<"$out" || fail "the wizard's line is not a line of its own: [$out]"
    [ "$(grep -B1 -x "the wizard ran" <<<"$out" | head -n 1)" = . ] ||
        fail "not after the dots: [$out]"
    # A status line written just before the wizard starts (its launch extracts nothing, which
    # would draw a dot) comes before its output.
    instructions=$(sed 's/LAUNCH @S2@ 0/LAUNCH @S2@ 1/' "$examples/wizard/instructions.tag")
    sed -i -e 's/ %CP%()//' -e '/^ARCHIVE:/d' "launch-$system.tag"
    ordered_run
    [ "$(grep -A1 -x "Running Corvane Wizard..." <<<"$out" | tail -n 1)" = "the wizard ran" ] ||
        fail "the status line and the wizard's output are out of order: [$out]"
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
    run_setup
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
manifest | signed)
    # The build directory the manifest's ${BUILD} names: the launcher and the two archives.
    mkdir -p build/java
    cp "$launcher" "build/wizlaunch$suffix"
    printf 'PK' >build/java/Verify.jar
    printf 'PK' >build/java/wizard.jar
    cp "$wizpack" "wizpack$suffix"
    # pack_manifest OUT: the example packed from its manifest by this build's wizpack.
    pack_manifest() {
        $emulator "./wizpack$suffix" -o "$1" --manifest "$(native_path "$examples/$system.manifest")" \
            -D "BUILD=$(native_path "$work/build")" >pack.log 2>&1 || fail "wizpack: $(cat pack.log)"
    }
    pack_manifest "setup$suffix"
    pack_manifest "again$suffix"
    cmp -s "setup$suffix" "again$suffix" || fail "two packs of the manifest differ"
    # The command-line form of examples/README.md gives the same bytes.
    entries=(--type instructions "$examples/wizard/instructions.tag")
    for f in $(ordered_descriptors); do entries+=(--type jvm "$descriptors/$f"); done
    entries+=(--type launchscript "$examples/wizard/launch-$system.tag"
        --type verification build/java/Verify.jar --type application build/java/wizard.jar)
    for ((i = 1; i < ${#entries[@]}; i += 2)); do
        [ "${entries[i]:0:1}" = / ] && entries[i]=$(native_path "${entries[i]}")
    done
    $emulator "./wizpack$suffix" -o "cli$suffix" "build/wizlaunch$suffix" "${entries[@]}" \
        >pack.log 2>&1 || fail "wizpack (command line): $(cat pack.log)"
    cmp -s "setup$suffix" "cli$suffix" || fail "the manifest and the command line pack differently"
    rm -f "again$suffix" "cli$suffix"
    home jre 21.0.5 'stdout=the wizard ran'$'\n'
    host=""
    [ -n "$emulator" ] && host=-console
    if [ "$case_name" = manifest ]; then
        run_setup
        [ "$code" = 0 ] && [[ $out == *"the wizard ran"* ]] || fail "exit code $code; output [$out]"
        [ "$(runs jre)" = 2 ] || fail "the bundled runtime ran $(runs jre) times, not twice"
        no_temporary_files
        passed
        exit 0
    fi

    [ -n "$emulator" ] || fail "signing is checked on the Windows builds"
    command -v osslsigncode >/dev/null || fail "osslsigncode is not installed"
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=wizlaunch test signer" \
        -keyout key.pem -out cert.pem >openssl.log 2>&1 || fail "openssl: $(cat openssl.log)"
    sign() {
        osslsigncode sign -certs cert.pem -key key.pem -n "wizlaunch test" -in "$1" -out "$2" \
            >sign.log 2>&1 || fail "osslsigncode sign: $(cat sign.log)"
    }
    sign "setup$suffix" "signed$suffix"
    osslsigncode verify -CAfile cert.pem -in "signed$suffix" >verify.log 2>&1 ||
        fail "the signature does not verify: $(cat verify.log)"
    [ "$(stat -c %s "signed$suffix")" -gt "$(stat -c %s "setup$suffix")" ] ||
        fail "the signed launcher is not longer than the unsigned one"

    # observe NAME: everything the launcher NAME shows: its index, its entries, the files of
    # -cv:extract, and a run of the wizard (output and exit code, the runtime's command line).
    observe() {
        local name=$1 dir=seen-$1
        mkdir -p "$dir"
        $emulator "./wizpack$suffix" --list "$name$suffix" 2>&1 | tr -d '\r' >"$dir/list.txt"
        $emulator "./wizpack$suffix" --extract "$name$suffix" "$dir/entries" >/dev/null 2>&1 ||
            fail "wizpack --extract $name failed"
        mkdir -p "x-$name"
        (cd "x-$name" && $emulator "../$name$suffix" -console -cv:extract </dev/null >/dev/null 2>&1) ||
            fail "-cv:extract of $name failed"
        mv "x-$name" "$dir/cv-extract"
        rm -f jre/bin/test_jvm.log
        raw=$($emulator "./$name$suffix" $host -cv:tempdir tmp </dev/null 2>&1; echo ".$?")
        # The progress dots of a captured child come one per chunk its output arrives in,
        # which the scheduler decides: a run of them counts as one.
        printf '%s' "${raw//$'\r'/}" | sed -E 's/^\.+/./' >"$dir/run.txt"
        tr -d '\r' <jre/bin/test_jvm.log | grep -av '^cwd=\|^env\.\|^arg\[2\]' >"$dir/jvm.txt"
        no_temporary_files
    }
    observe setup
    observe signed
    grep -q '^entries 6$' seen-setup/list.txt || fail "unexpected index: $(cat seen-setup/list.txt)"
    grep -q "the wizard ran" seen-setup/run.txt || fail "the unsigned launcher did not run: $(cat seen-setup/run.txt)"
    [ "$(tail -c 2 seen-setup/run.txt)" = .0 ] || fail "exit code of the unsigned run: $(cat seen-setup/run.txt)"
    diff -r seen-setup seen-signed >diff.txt || fail "the signed launcher behaves differently:
$(cat diff.txt)"

    # A signed launcher cannot be packed onto.
    sign "build/wizlaunch$suffix" "signed-base$suffix"
    $emulator "./wizpack$suffix" -o out.exe "signed-base$suffix" --type instructions \
        "$(native_path "$examples/wizard/instructions.tag")" >refused.log 2>&1 &&
        fail "wizpack packed onto a signed launcher"
    grep -q "is signed (it carries a certificate table): pack the unsigned launcher, then sign the packed file" refused.log ||
        fail "refusal message: $(cat refused.log)"
    [ ! -e out.exe ] || fail "a refused pack left out.exe"
    ;;
*)
    fail "unknown case"
    ;;
esac
passed
