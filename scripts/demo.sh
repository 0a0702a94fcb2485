#!/usr/bin/env bash
# The launcher's main job: packs the example in examples/ (the instruction script, the JVM
# descriptors, the launch script, the verification class and the sample wizard) into a launcher
# with wizpack, from its manifest (examples/linux.manifest, examples/windows.manifest), and runs it
# with the console host.
#
#   natively:   the launcher finds a Java runtime of this machine with the Linux descriptors,
#               verifies it and starts the sample wizard on it, whose output shows on the console.
#   under Wine: the Windows launcher (the win32 build where the host runs 32-bit code, the win64
#               build where it cannot) finds the runtime bundled beside it, jre\bin\java.exe. No
#               Windows Java runtime is available here and the Windows launcher cannot drive a
#               Linux one, so the bundled runtime is the project's stand-in JVM (wizjava), which
#               answers the verification like a Java 21 and records how it was started.
#
# Run scripts/build.sh first. Everything happens in a temporary directory that is removed at the
# end; the launchers get "-cv:tempdir" so that what they extract stays in there too. Every failing
# step stops the demo with a message and a non-zero exit.
set -euo pipefail
cd "$(dirname "$0")/.."
WIZ_ROOT=$PWD
. scripts/wine-env.sh

die() {
    echo "demo: $*" >&2
    exit 1
}

work=$(mktemp -d "${TMPDIR:-/tmp}/wizdemo.XXXXXX")
trap 'rm -rf "$work"' EXIT

# show_run OUTPUT COMMAND...: runs the command with no input, shows its output (carriage returns
# dropped) and keeps it in OUTPUT; sets $code.
show_run() {
    local output=$1
    shift
    set +e
    "$@" </dev/null 2>&1 | tr -d '\r' | tee "$output"
    code=${PIPESTATUS[0]}
    set -e
}

# report DIR LABEL: the exit code and the log's lines about the search and the launch; fails
# unless the run ended well and left nothing in its temporary directory.
report() {
    local dir=$1 label=$2 log
    echo "-- exit code: $code"
    [ -f "$dir/demo.log" ] || die "the $label launcher wrote no log"
    log=$(tr -d '\r' <"$dir/demo.log")
    echo "-- from demo.log:"
    grep -aE '^(Searching for .* using|Verifying JVM at|Found matching JVM at|Matching JVM)' \
        <<<"$log" | sed 's/^/   /'
    grep -a '^Executing launch script command' <<<"$log" | tail -n 1 | sed 's/^/   /'
    [ "$code" = 0 ] || die "the $label launcher failed with exit code $code (log: see above)"
    grep -aq '^Matching JVM home is' <<<"$log" || die "the $label launcher found no Java runtime"
    [ -z "$(ls -A "$dir/tmp")" ] ||
        die "the $label launcher left temporary files: $(ls -A "$dir/tmp")"
}

# The two runs, each from its directory $dir.
run_native() { cd "$dir" && ./setup -console -cv:log demo.log -cv:tempdir tmp; }
run_windows() { cd "$dir" && wiz_wine setup.exe -console -cv:log demo.log -cv:tempdir tmp; }

echo "== native launcher: the Linux descriptors, the runtimes of this machine"
native=build/native
for f in wizlaunch wizpack java/Verify.jar java/wizard.jar; do
    [ -f "$native/$f" ] ||
        die "$native/$f is missing: run bash scripts/build.sh (the jars need javac: setup.sh)"
done
dir=$work/linux
mkdir -p "$dir/tmp"
echo "-- wizpack -o setup --manifest examples/linux.manifest -D BUILD=$native"
"$native/wizpack" -o "$dir/setup" --manifest examples/linux.manifest -D "BUILD=$PWD/$native" ||
    die "wizpack failed"
"$native/wizpack" --list "$dir/setup" || die "wizpack --list failed"
echo "-- ./setup -console -cv:log demo.log -cv:tempdir tmp"
show_run "$dir/output.txt" run_native
report "$dir" native
grep -aqF 'Sample wizard is running' "$dir/output.txt" ||
    die "the sample wizard did not run on the native launcher"

wiz_windows_target
target=$WIZ_WINDOWS_TARGET
echo
echo "== Windows launcher ($target build) under Wine: $WIZ_WINDOWS_REASON"
windows=build/$target
for f in wizlaunch.exe wizpack.exe tests/wizjava.exe java/Verify.jar java/wizard.jar; do
    [ -f "$windows/$f" ] || die "$windows/$f is missing: run bash scripts/build.sh $target"
done
wiz_wine_select "$target"
wine_start || die "Wine cannot start ($WIZ_WINE)"
trap 'wine_stop; rm -rf "$work"' EXIT
dir=$work/windows
mkdir -p "$dir/tmp" "$dir/jre/bin"
cp "$windows/wizpack.exe" "$dir/"
# The bundled runtime: the stand-in JVM as jre\bin\java.exe beside the launcher.
cp "$windows/tests/wizjava.exe" "$dir/jre/bin/java.exe"
cat >"$dir/jre/bin/test_jvm.cfg" <<'EOF'
property.java.version=21.0.5
property.java.vendor=Stand-in Runtime
stdout=stand-in wizard ran with: the arguments in jre\bin\test_jvm.log, shown below
EOF
# Wine shows the root of the file system as drive Z:.
echo "-- wizpack.exe -o setup.exe --manifest examples\\windows.manifest -D BUILD=$windows"
(cd "$dir" && wiz_wine wizpack.exe -o setup.exe --manifest "Z:$WIZ_ROOT/examples/windows.manifest" \
    -D "BUILD=Z:$WIZ_ROOT/$windows") || die "wizpack.exe failed under Wine"
echo "-- setup.exe -console -cv:log demo.log -cv:tempdir tmp"
show_run "$dir/output.txt" run_windows
report "$dir" Windows
echo "-- jre\\bin\\test_jvm.log, the stand-in's record of its runs (verification, then wizard):"
tr -d '\r' <"$dir/jre/bin/test_jvm.log" |
    awk '/^run$/ { print "   run " ++n ":"; next } /^end$/ { next } { print "     " $0 }'
grep -aqF 'stand-in wizard ran with:' "$dir/output.txt" ||
    die "the stand-in wizard did not run on the Windows launcher"
tr -d '\r' <"$dir/jre/bin/test_jvm.log" | grep -aqx 'arg\[3\]=SampleWizard' ||
    die "the stand-in was not started as the sample wizard"
echo
echo "demo: both launchers found a Java runtime, verified it and started the wizard"
