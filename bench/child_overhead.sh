#!/bin/bash
# The cost of starting a trivial child through the launcher's runner (runCommand, captured and
# plain) against starting it directly, natively and under Wine. Prints seconds per run and the
# ratio runner/direct; not part of the tests.
#
#   bench/child_overhead.sh [RUNS]
#   NATIVE_DIR / WIN_DIR name the build directories (default build/native, and build/win32 where
#   the host runs 32-bit code, build/win64 where it cannot); a missing one is skipped. Build the
#   target wizbench_child in them first.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-50}
native_dir=${NATIVE_DIR:-$root/build/native}
WIZ_ROOT=$root
source "$root/scripts/wine-env.sh"
wiz_windows_target
win_dir=${WIN_DIR:-$root/build/$WIZ_WINDOWS_TARGET}

now() { date +%s.%N; }
per_run() { awk -v a="$1" -v b="$2" -v n="$runs" 'BEGIN { printf "%.6f", (b - a) / n }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }

report() {  # label direct captured plain
  printf '%-7s direct %ss  runner captured %ss (x%s)  runner plain %ss (x%s)\n' "$1" "$2" \
    "$3" "$(ratio "$3" "$2")" "$4" "$(ratio "$4" "$2")"
}

if [ -x "$native_dir/wizbench_child" ]; then
  exe="$native_dir/wizbench_child"
  start=$(now)
  for ((i = 0; i < runs; i++)); do "$exe"; done
  direct=$(per_run "$start" "$(now)")
  captured=$("$exe" run "$runs" capture "\"$exe\"")
  plain=$("$exe" run "$runs" plain "\"$exe\"")
  report native "$direct" "$captured" "$plain"
else
  echo "native: $native_dir/wizbench_child not built, skipped"
fi

if [ -f "$win_dir/wizbench_child.exe" ]; then
  echo "wine: $WIZ_WINDOWS_TARGET build ($WIZ_WINDOWS_REASON)"
  wiz_wine_select "$WIZ_WINDOWS_TARGET"
  wine_start
  trap wine_stop EXIT
  exe="$win_dir/wizbench_child.exe"
  winexe="Z:${exe//\//\\}"
  wiz_wine "$exe"  # warm up the prefix
  start=$(now)
  for ((i = 0; i < runs; i++)); do wiz_wine "$exe"; done
  direct=$(per_run "$start" "$(now)")
  captured=$(wiz_wine "$exe" run "$runs" capture "\"$winexe\"" | tr -d '\r')
  plain=$(wiz_wine "$exe" run "$runs" plain "\"$winexe\"" | tr -d '\r')
  report wine "$direct" "$captured" "$plain"
else
  echo "wine: $win_dir/wizbench_child.exe not built, skipped"
fi
