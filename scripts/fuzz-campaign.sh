#!/usr/bin/env bash
# A longer fuzzing campaign over the libFuzzer targets of tests/fuzz (the fuzz preset: clang,
# AddressSanitizer and UBSan). Each target runs for the given time, several targets at once; the
# corpus each one builds up stays in build/fuzz/campaign/<target>/corpus for the next campaign
# (the seed corpora in the repository are only read). At the end a table shows, per target, the
# executions, executions per second, time, corpus size and coverage, and every finding with its
# input and the end of its log; the table is also written to build/fuzz/campaign/summary.txt.
#
# Usage: scripts/fuzz-campaign.sh [seconds per target] [parallel jobs] [target...]
#   defaults: 600 s, as many jobs as cores, every target. One input may take at most
#   WIZ_FUZZ_TIMEOUT seconds (default 5) before it counts as a finding; WIZ_FUZZ_FLAGS adds
#   libFuzzer flags.
# Exit status: 0 without findings, 1 with findings.
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${1:-600}
jobs=${2:-$(nproc 2>/dev/null || echo 2)}
shift $(($# > 2 ? 2 : $#))
timeout=${WIZ_FUZZ_TIMEOUT:-5}

if ! command -v clang++ >/dev/null 2>&1; then
    echo "fuzz-campaign: clang++ not found (bash scripts/setup.sh installs it)" >&2
    exit 2
fi
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

out=build/fuzz/campaign
mkdir -p "$out"
if [ $# -gt 0 ]; then
    targets=("$@")
else
    mapfile -t targets < <(bash tests/fuzz/run-target.sh list)
fi
for t in "${targets[@]}"; do
    if [ ! -x "build/fuzz/fuzz/${t}_fuzz" ]; then
        echo "fuzz-campaign: no target $t" >&2
        exit 2
    fi
done

echo "fuzz-campaign: ${targets[*]}: $secs s each, $jobs at a time, $timeout s per input"
started=$(date +%s)
read -r -a extra <<<"${WIZ_FUZZ_FLAGS:-}"
printf '%s\n' "${targets[@]}" |
    xargs -P "$jobs" -I{} bash tests/fuzz/run-target.sh run {} "$secs" "$out" "$timeout" \
        "${extra[@]}"

status=0
echo "campaign of $(date -u '+%Y-%m-%d %H:%M UTC'): $secs s per target, $jobs at a time," \
    "$timeout s per input, $(($(date +%s) - started)) s in all" >"$out/summary.txt"
for t in "${targets[@]}"; do
    bash tests/fuzz/run-target.sh report "$out/$t" >>"$out/summary.txt" || status=1
done
cat "$out/summary.txt"
exit $status
