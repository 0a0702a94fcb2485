#!/usr/bin/env bash
# One fuzz target's run and its report, shared by scripts/fuzz-smoke.sh and
# scripts/fuzz-campaign.sh (run from the repository's root, after the fuzz preset was built).
#
#   run-target.sh list
#       the targets: every build/fuzz/fuzz/<target>_fuzz
#   run-target.sh run TARGET SECONDS OUTDIR TIMEOUT [libFuzzer flags...]
#       fuzzes TARGET for SECONDS in OUTDIR/TARGET: new inputs go to its corpus/ there (the seeds
#       of tests/fuzz/corpus/TARGET are read, never written), findings to OUTDIR/TARGET/, the
#       log to OUTDIR/TARGET/log, temporary files to a directory of their own in /dev/shm (or
#       OUTDIR/TARGET/tmp), removed afterwards.
#       TIMEOUT is the longest one input may take, in seconds.
#   run-target.sh report OUTDIR/TARGET
#       one line of figures; for a finding also the input and the end of the log. Fails then.
set -uo pipefail

bin=build/fuzz/fuzz
seeds=tests/fuzz/corpus

case "${1:-}" in
list)
    for f in "$bin"/*_fuzz; do
        [ -x "$f" ] && basename "$f" _fuzz
    done
    ;;
run)
    target=$2 secs=$3 out=$4 timeout=$5
    shift 5
    dir=$out/$target
    mkdir -p "$dir/corpus"
    rm -f "$dir"/crash-* "$dir"/leak-* "$dir"/timeout-* "$dir"/oom-* "$dir"/slow-unit-*
    # Temporary files in memory where the system offers it: some targets make and remove
    # directories for every input.
    if [ -d /dev/shm ] && [ -w /dev/shm ]; then
        tmp=$(mktemp -d /dev/shm/wizfuzz-"$target".XXXXXX)
    else
        tmp=$PWD/$dir/tmp
        mkdir -p "$tmp"
    fi
    flags=(-max_total_time="$secs" -timeout="$timeout" -rss_limit_mb=2048 -max_len=8192
        -print_final_stats=1 -artifact_prefix="$dir/")
    [ -f "tests/fuzz/$target.dict" ] && flags+=(-dict="tests/fuzz/$target.dict")
    started=$(date +%s)
    TMPDIR=$tmp "$bin/${target}_fuzz" "${flags[@]}" "$@" "$dir/corpus" "$seeds/$target" \
        >"$dir/log" 2>&1
    echo $? >"$dir/rc"
    echo $(($(date +%s) - started)) >"$dir/seconds"
    rm -rf "$tmp"
    ;;
report)
    dir=$2
    target=$(basename "$dir")
    rc=$(cat "$dir/rc" 2>/dev/null || echo missing)
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -n 1)
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$dir/log" | tail -n 1)
    found=$(find "$dir/corpus" -type f | wc -l)
    seeded=$(find "$seeds/$target" -type f | wc -l)
    cov=$(grep -o 'cov: [0-9]*' "$dir/log" | tail -n 1 | cut -d' ' -f2)
    printf '  %-20s %12s runs %8s/s %5ss  corpus %5s (+%s seeds)  cov %5s  ' "$target" \
        "${runs:-?}" "${speed:-?}" "$(cat "$dir/seconds" 2>/dev/null || echo ?)" "$found" \
        "$seeded" "${cov:-?}"
    if [ "$rc" = 0 ]; then
        echo "ok"
        exit 0
    fi
    echo "FINDING (exit $rc)"
    for a in "$dir"/crash-* "$dir"/leak-* "$dir"/timeout-* "$dir"/oom-* "$dir"/slow-unit-*; do
        [ -e "$a" ] && echo "    input: $a"
    done
    grep -E 'SUMMARY|wizfuzz finding|ERROR: libFuzzer|runtime error' "$dir/log" | head -n 5 |
        sed 's/^/    /'
    echo "    log: $dir/log (last lines follow)"
    tail -n 25 "$dir/log" | sed 's/^/    | /'
    exit 1
    ;;
*)
    echo "usage: $0 list | run TARGET SECONDS OUTDIR TIMEOUT [flags] | report OUTDIR/TARGET" >&2
    exit 2
    ;;
esac
