#!/usr/bin/env bash
# Builds the libFuzzer target for the tag document reader with clang (ASan + UBSan) and runs it
# briefly. Usage: scripts/fuzz-smoke.sh [seconds]  (default 20). Skips when clang is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${1:-20}
if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz-smoke: clang++ not found, skipped"
  exit 0
fi
out=build/fuzz
mkdir -p "$out/corpus"
clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -Isrc tests/fuzz/tag_document_fuzz.cpp src/base/*.cpp src/tagdoc/*.cpp src/runtime/log.cpp \
  -o "$out/tag_document_fuzz"
# Seeds: every tag document in the tree.
find examples tests -name '*.tag' -exec cp {} "$out/corpus/" \; 2>/dev/null || true
printf 'A: 1\nB:\n  x\n  "y ""z"""\n/:\n' > "$out/corpus/seed.tag"
"$out/tag_document_fuzz" -max_total_time="$secs" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
  "$out/corpus" 2>&1 | tail -n 3
echo "fuzz-smoke: passed"
