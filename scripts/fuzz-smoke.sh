#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with the fuzz preset (clang, AddressSanitizer and
# UBSan) and runs every target briefly from its seed corpus, as many at a time as the machine
# has cores. Fails when a target finds anything (crash, leak, undefined behaviour, timeout,
# memory limit); the input that did it is kept in build/fuzz/smoke/<target>/. The seed corpora
# in the repository are only read.
#
# Usage: scripts/fuzz-smoke.sh [seconds per target]   (default 10)
# Exit code 77 (skipped), with a message that says why, when clang or its libFuzzer runtime is
# missing: nothing was fuzzed, which must not read as a pass.
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${1:-10}

if ! command -v clang++ >/dev/null 2>&1; then
    echo "fuzz-smoke: SKIPPED: clang++ not found (bash scripts/setup.sh installs it)"
    exit 77
fi
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' \
    >"$probe/probe.cpp"
if ! clang++ -fsanitize=fuzzer "$probe/probe.cpp" -o "$probe/probe" >/dev/null 2>&1; then
    echo "fuzz-smoke: SKIPPED: clang++ cannot link libFuzzer (package libclang-rt-14-dev)"
    exit 77
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

out=build/fuzz/smoke
rm -rf "$out"
mkdir -p "$out"
mapfile -t targets < <(bash tests/fuzz/run-target.sh list)
jobs=$(nproc 2>/dev/null || echo 2)
echo "fuzz-smoke: ${#targets[@]} targets, $secs s each, $jobs at a time"
# A smoke run allows 10 s for one input; the campaign looks for slow inputs more closely.
printf '%s\n' "${targets[@]}" |
    xargs -P "$jobs" -I{} bash tests/fuzz/run-target.sh run {} "$secs" "$out" 10

status=0
for t in "${targets[@]}"; do
    bash tests/fuzz/run-target.sh report "$out/$t" || status=1
done
if [ $status -ne 0 ]; then
    echo "fuzz-smoke: FAILED (logs and inputs in $out)"
    exit 1
fi
echo "fuzz-smoke: passed"
