#!/usr/bin/env bash
# Runs every benchmark of bench/README.md and prints one table: per benchmark the median time of
# the launcher's way and of its reference, their ratio, the target and whether it is met. Each
# benchmark runs the two ways in turn, several times, from inside one program (wizbench): the
# launcher's code or program against a plain program doing the same job, started the same way.
# Not part of the tests.
#
#   bash bench/run.sh [--quick]        --quick: fewer runs, for a first look
#
# Environment:
#   NATIVE_DIR    native build directory (default build/native, the native preset)
#   WIN_DIR       Windows build directory (default build/win32, or build/win64 where the host
#                 cannot run 32-bit code; see scripts/wine-env.sh)
#                 Both are configured with their preset when they have no build files yet, and
#                 the programs the benchmarks need are built in them.
#   BENCH_WINEPREFIX  the Wine prefix (default the project's prefix of the Windows build)
#   BENCH_WORK    work directory (default a new one in ${TMPDIR:-/tmp}, removed at the end); it
#                 needs about 800 MB
#   BENCH_JDK     the Java runtime of the end-to-end runs (default
#                 /usr/lib/jvm/java-17-openjdk-amd64)
#   WALK_TREE     the tree of the drive-scan benchmark (default /usr)
#   SKIP_WINE=1   native benchmarks only
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
WIZ_ROOT=$root
. scripts/wine-env.sh

quick=0
[ "${1:-}" = --quick ] && quick=1
runs() { [ "$quick" = 1 ] && echo "$2" || echo "$1"; }  # runs FULL QUICK

die() {
    echo "bench: $*" >&2
    exit 1
}

native=$(cd "$root" && mkdir -p "${NATIVE_DIR:-build/native}" && cd "${NATIVE_DIR:-build/native}" && pwd)
jdk=${BENCH_JDK:-/usr/lib/jvm/java-17-openjdk-amd64}
tree=${WALK_TREE:-/usr}

if [ -n "${BENCH_WORK:-}" ]; then
    work=$BENCH_WORK
    mkdir -p "$work"
else
    work=$(mktemp -d "${TMPDIR:-/tmp}/wizbench.XXXXXX")
fi
cleanup() {
    [ -n "${wine_started:-}" ] && wine_stop
    [ -z "${BENCH_WORK:-}" ] && rm -rf "$work"
    return 0
}
trap cleanup EXIT
rows=$work/rows.tsv
: >"$rows"
checks=()

# build PRESET DIR TARGET...: configures DIR with PRESET when needed and builds the targets.
build() {
    local preset=$1 dir=$2
    shift 2
    [ -f "$dir/build.ninja" ] || cmake --preset "$preset" -B "$dir" >/dev/null
    cmake --build "$dir" --target "$@" >/dev/null || die "cannot build $* in $dir"
}

# build_type DIR: the CMAKE_BUILD_TYPE of a build directory.
build_type() { sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$1/CMakeCache.txt"; }

# collect LABEL COMMAND...: runs a driver and keeps its rows, tagged with LABEL.
collect() {
    local label=$1 out
    shift
    out=$("$@" | tr -d '\r') || die "failed: $*"
    grep '^ROW' <<<"$out" | sed "s/^ROW\t/$label\t/" >>"$rows"
}

# quote_args ARG...: one command line of the arguments, each in double quotes.
quote_args() {
    local a line=
    for a in "$@"; do line+="${line:+ }\"$a\""; done
    printf '%s' "$line"
}

tab=$'\t'

# ---- native ---------------------------------------------------------------------------------
echo "bench: building in $native" >&2
build native "$native" wizlaunch wizpack wizbench wizbench_trivial
have_java=0
if cmake --build "$native" --target help | grep -Eq '(^|/)wizverify: '; then
    build native "$native" wizverify wizsample
    [ -f "$native/java/Verify.jar" ] && [ -f "$native/java/wizard.jar" ] && have_java=1
fi
bench=$native/wizbench
native_type=$(build_type "$native")

echo "bench: child runs" >&2
collect native "$bench" child "$(runs 300 60)" "$native/wizbench_trivial"

# End to end: a packed launcher against the java commands it runs, from the log of a probe run.
# e2e DIR NAME TARGET ARG...: DIR holds the packed launcher "setup".
e2e() {
    local dir=$1 name=$2 target=$3 line wd cmd mode
    shift 3
    mkdir -p "$dir/tmp" "$dir/ref"
    cp "$native/java/Verify.jar" "$native/java/wizard.jar" "$dir/ref/"
    rm -f "$dir/probe.log"
    (cd "$dir" && ./setup -console -cv:log probe.log -cv:tempdir "$dir/tmp" "$@" \
        </dev/null >/dev/null 2>&1) || die "$name: the probe run failed (log: $dir/probe.log)"
    grep -aq '^Matching JVM home is' "$dir/probe.log" || die "$name: the probe found no runtime"
    {
        printf 'A\tnull\t%s\t%s\n' "$dir" "$(quote_args "$dir/setup" -console -cv:tempdir \
            "$dir/tmp" "$@")"
        # The archives the launcher extracted into its temporary directories are, for the
        # reference, copies made once in ref/; the verification's output is read, as the
        # launcher reads it; the wizard's goes where the launcher's own goes.
        # A command whose result was used again (the next line says so) started nothing.
        tr -d '\r' <"$dir/probe.log" | awk '
            /^Executing launch script command: / { if (cmd != "") print cmd; cmd = substr($0, 34); next }
            /^The same command ran before/ { cmd = ""; next }
            { if (cmd != "") print cmd; cmd = "" }
            END { if (cmd != "") print cmd }' |
            while IFS= read -r line; do
                wd=${line##* in working directory }
                cmd=$(sed -E "s#[^\" ]*/LRE[0-9A-Fa-f]+\\.tmp/#$dir/ref/#g" <<<"${line% in working directory *}")
                mode=null
                case $cmd in *'"Verify"'*) mode=capture ;; esac
                printf 'B\t%s\t%s\t%s\n' "$mode" "$wd" "$cmd"
            done
    } >"$dir/plan"
    local commands
    commands=$(grep -c '^B' "$dir/plan")
    collect native "$bench" compare "$name ($commands java commands)" "$(runs 15 3)" "$target" \
        "$dir/plan"
}

if [ "$have_java" = 1 ] && [ -x "$jdk/bin/java" ]; then
    echo "bench: end to end with $jdk" >&2
    feature=$(sed -n 's/^JAVA_VERSION="\(1\.\)\{0,1\}\([0-9]*\).*/\2/p' "$jdk/release")
    descriptor=$root/examples/jvm/linux/java-17-or-newer.jvm
    [ "$feature" -ge 17 ] || die "the example needs Java 17 or newer, $jdk is Java $feature"
    # pack DIR JVM-ENTRY...: the example's script, launch script and archives with the given
    # descriptors.
    pack() {
        local dir=$1
        shift
        mkdir -p "$dir"
        "$native/wizpack" -o "$dir/setup" "$native/wizlaunch" \
            --type instructions examples/wizard/instructions.tag "$@" \
            --type launchscript examples/wizard/launch-linux.tag \
            --type verification "$native/java/Verify.jar" \
            --type application "$native/java/wizard.jar" >/dev/null || die "wizpack failed"
    }
    # The example as packed by scripts/demo.sh: the bundled runtime's descriptor (Java 21), then
    # "Java 17 or newer". A runtime other than 21 is verified once: the second descriptor asks
    # the same of it and takes the first one's result.
    pack "$work/e2e-example" --type jvm examples/jvm/linux/bundled.jvm --type jvm "$descriptor"
    e2e "$work/e2e-example" "end to end, example launcher, -cv:javahome" "<=1.10" \
        -cv:javahome "$jdk"
    # "Java 17 or newer" alone: one verification, then the wizard.
    pack "$work/e2e-one" --type jvm "$descriptor"
    e2e "$work/e2e-one" "end to end, the Java 17 or newer descriptor only, -cv:javahome" "<=1.10" \
        -cv:javahome "$jdk"
    # The same descriptor without its folder hints: the search goes on to the system's own
    # places (JAVA_HOME, PATH, /usr/lib/jvm) and finds the runtime there.
    sed '/^PATH_HINT:/,/^\/:/d' "$descriptor" >"$work/platform-only.jvm"
    pack "$work/e2e-hint" --type jvm "$work/platform-only.jvm"
    e2e "$work/e2e-hint" "end to end, hint search through the platform paths" "<=1.10"
else
    checks+=("end to end: skipped (no Verify.jar/wizard.jar in $native, or no $jdk)")
fi

echo "bench: drive scan of $tree" >&2
printf 'A\tcapture\t-\t%s\nB\tcapture\t-\t%s\n' "$(quote_args "$bench" walk "$tree" java)" \
    "$(quote_args find "$tree" -name java)" >"$work/walk.plan"
collect native "$bench" compare "drive scan of $tree: the search's walk vs find -name java" \
    "$(runs 9 3)" "<=1.00" "$work/walk.plan"

echo "bench: extraction of 256 MB" >&2
mkdir -p "$work/extract/out"
head -c $((256 * 1024 * 1024)) /dev/urandom >"$work/extract/payload.bin"
"$native/wizpack" -o "$work/extract/setup" "$native/wizlaunch" \
    --type application "$work/extract/payload.bin" >/dev/null || die "wizpack failed"
read -r offset length < <("$native/wizpack" --list "$work/extract/setup" |
    sed -n 's/^0 .* offset=\([0-9]*\) length=\([0-9]*\) .*/\1 \2/p')
out=$work/extract/out
{
    printf 'A\tremove\t%s\n' "$out/payload.bin"
    printf 'A\tnull\t-\t%s\n' "$(quote_args "$bench" extract "$work/extract/setup" 0 "$out")"
    printf 'B\tremove\t%s\n' "$out/dd.bin"
    printf 'B\tnull\t-\tdd if=%s of=%s iflag=skip_bytes,count_bytes skip=%s count=%s bs=1M\n' \
        "$work/extract/setup" "$out/dd.bin" "$offset" "$length"
} >"$work/extract.plan"
collect native "$bench" compare "extraction of a 256 MB entry vs dd bs=1M" "$(runs 9 3)" \
    "<=1.11" "$work/extract.plan"
steps=$("$bench" extract "$work/extract/setup" 0 "$out" | sed -n 's/.*, \([0-9]*\) progress.*/\1/p')
cmp -s "$out/payload.bin" "$work/extract/payload.bin" || die "the extracted file differs"
cmp -s "$out/dd.bin" "$work/extract/payload.bin" || die "dd's copy differs"
checks+=("extraction: the copy is exact; $steps progress steps (one per started 61,439 bytes: $(((length + 61438) / 61439)))")
rm -rf "$work/extract"

echo "bench: index load and memory" >&2
"$bench" make-index "$work/index0" 0
"$bench" make-index "$work/index10k" 10000
"$bench" make-index "$work/index100k" 100000
collect native "$bench" index-load "$(runs 9 3)" "$work/index0" "$work/index10k" \
    "$work/index100k"
printf 'INSTRUCTIONS:\n  SET N1 = 1\n/:\n' >"$work/small.tag"
awk 'BEGIN {
    line = "  SET S1 = \"a value that the script sets again and again\"\n"
    printf "INSTRUCTIONS:\n"
    for (n = 0; n < 10 * 1024 * 1024; n += length(line)) printf "%s", line
    printf "/:\n"
}' >"$work/big.tag"
"$native/wizpack" -o "$work/script-small" "$native/wizlaunch" --type instructions \
    "$work/small.tag" >/dev/null
"$native/wizpack" -o "$work/script-10mb" "$native/wizlaunch" --type instructions \
    "$work/big.tag" >/dev/null
"$bench" make-index "$work/launcher-index10k" 10000 "$native/wizlaunch" "$work/small.tag"
chmod +x "$work/launcher-index10k"
printf 'A\tnull\t%s\t%s\nB\tnull\t%s\t%s\n' "$work" "$(quote_args "$work/script-10mb" -console)" \
    "$work" "$(quote_args "$work/script-small" -console)" >"$work/script.plan"
collect native "$bench" compare "launcher run, 10 MB script vs a one-line script" "$(runs 5 3)" \
    "-" "$work/script.plan"
printf 'A\tnull\t%s\t%s\nB\tnull\t%s\t%s\n' "$work" \
    "$(quote_args "$work/launcher-index10k" -console)" \
    "$work" "$(quote_args "$work/script-small" -console)" >"$work/index.plan"
collect native "$bench" compare "launcher run, 10,000-entry index vs a one-entry index" \
    "$(runs 9 3)" "-" "$work/index.plan"

# Captured output: a wizard (a shell standing in for java) that writes 40 MB to its output and
# 40 MB to its error output, against one that writes nothing. Without -console the output is
# captured; the launcher keeps and logs a bounded part of it, so its peak stays near the other's.
printf 'DESC: Shell\nJVM_HOME: /\nJVM_EXE: bin/sh\n' >"$work/shell.jvm"
printf 'INSTRUCTIONS:\n  LAUNCH %s 0\n/:\n' "$work/shell.jvm" >"$work/launch.tag"
for size in 40000000 0; do
    printf 'COMMAND: /bin/sh -c "yes | head -c %s; yes e | head -c %s >&2; echo last words >&2"\n' \
        "$size" "$size" >"$work/print$size.tag"
    "$native/wizpack" -o "$work/print$size" "$native/wizlaunch" --type instructions \
        "$work/launch.tag" --type launchscript "$work/print$size.tag" >/dev/null
done
printf 'A\tnull\t%s\t%s\nB\tnull\t%s\t%s\n' "$work" "$(quote_args "$work/print40000000")" \
    "$work" "$(quote_args "$work/print0")" >"$work/print.plan"
collect native "$bench" compare "launcher run, a wizard printing 2 x 40 MB (captured) vs nothing" \
    "$(runs 5 3)" "-" "$work/print.plan"

# ---- Windows, under Wine --------------------------------------------------------------------
win_note="Windows: skipped (SKIP_WINE)"
if [ "${SKIP_WINE:-}" != 1 ]; then
    wiz_windows_target
    target=$WIZ_WINDOWS_TARGET
    win=$(mkdir -p "${WIN_DIR:-build/$target}" && cd "${WIN_DIR:-build/$target}" && pwd)
    echo "bench: building in $win" >&2
    build "$target" "$win" wizbench wizbench_trivial
    wiz_wine_select "$target"
    [ -n "${BENCH_WINEPREFIX:-}" ] && export WINEPREFIX=$BENCH_WINEPREFIX
    wine_start || die "Wine cannot start ($WIZ_WINE)"
    wine_started=1
    winpath() { printf 'Z:%s' "${1//\//\\}"; }
    winbench=$(winpath "$win/wizbench.exe")
    echo "bench: child runs under Wine" >&2
    collect wine wiz_wine "$win/wizbench.exe" child "$(runs 300 30)" \
        "$(winpath "$win/wizbench_trivial.exe")"
    echo "bench: drive scan of $tree under Wine" >&2
    printf 'A\tcapture\t-\t%s\nB\tcapture\t-\t%s\n' \
        "$(quote_args "$winbench" walk "$(winpath "$tree")" java)" \
        "$(quote_args "$winbench" plain-walk "$(winpath "$tree")" java)" >"$work/walk-wine.plan"
    collect wine wiz_wine "$win/wizbench.exe" compare \
        "drive scan of $(winpath "$tree"): the search's walk vs FindFirstFile/FindNextFile" \
        "$(runs 7 3)" "<=1.00" "$(winpath "$work/walk-wine.plan")"
    win_note="Windows: $target build ($(build_type "$win")) in $win under $WIZ_WINE, prefix $WINEPREFIX ($WIZ_WINDOWS_REASON)"
fi

# ---- the table ------------------------------------------------------------------------------
cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
echo
echo "Machine: $cpu, $(nproc) cores; load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "Native: $native ($native_type build); $win_note"
echo
awk -F "$tab" '
function verdict(ratio, target,    limit, n) {
    if (target == "-") return "-"
    if (substr(target, 1, 2) == "<=") {
        limit = substr(target, 3) + 0
        if (ratio <= limit) return "met"
        return sprintf("missed by %.1f%%", (ratio / limit - 1) * 100)
    }
    if (substr(target, 1, 1) == "~") {
        n = substr(target, 2) + 0
        if (ratio <= n * 1.15) return "met (linear)"
        return sprintf("missed: %.1f times linear", ratio / n)
    }
    return "?"
}
BEGIN {
    print "| Where | Benchmark | Launcher (median) | Reference (median) | Ratio | Target | Result | Peak RSS launcher / reference | Notes |"
    print "|---|---|---|---|---|---|---|---|---|"
}
{
    where = $1; name = $2; a = $3 + 0; b = $4 + 0; unit = $5; target = $6; rss = $7; note = $8
    ratio = 0; reference = "-"; shown = "-"
    if (b > 0) {
        ratio = a / b
        reference = sprintf("%.2f %s", b, unit)
        shown = sprintf("%.3f", ratio)
    }
    printf "| %s | %s | %.2f %s | %s | %s | %s | %s | %s | %s |\n", where, name, a, unit,
        reference, shown, target, verdict(ratio, target), rss, note
}' "$rows"
echo
for c in "${checks[@]}"; do echo "- $c"; done
