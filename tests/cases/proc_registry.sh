#!/bin/bash
# Platform hints resolved by wizhint.
#   proc_registry.sh win32 WIZHINT.EXE WINE   values imported with Wine's "reg" under a unique
#                                             key of HKEY_CURRENT_USER, removed again at the end
#   proc_registry.sh posix WIZHINT            no registry: every hint finds nothing and says why
set -u
mode=$1
hint=$2
work=$(mktemp -d)
root="Software\\WizlaunchTest$$$RANDOM"
key="HKCU\\$root"
failures=0

if [ "$mode" = win32 ]; then
  export WIZ_WINE=$3
  . "$(dirname "$0")/../../scripts/wine-env.sh"
fi

# Wine shows the root of the file system as drive Z:.
winpath() { local p="Z:$1"; echo "${p//\//\\}"; }

run_hint() {
  if [ "$mode" = win32 ]; then wiz_wine "$hint" "$@"; else "$hint" "$@"; fi
}

cleanup() {
  [ "$mode" = win32 ] && wiz_wine reg delete "$key" /f >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

# compare LABEL EXPECTED ACTUAL: counts and shows a difference, so that one run lists them all.
compare() {
  if [ "$2" != "$3" ]; then
    printf 'FAIL %s\n  expected: [%s]\n  actual:   [%s]\n' "$1" "$2" "$3"
    failures=$((failures + 1))
  fi
}

reason_missing=$(run_hint --reason 2 | tr -d '\r' | grep -v '^$')
warning="WARNING: Invalid platform hint: $reason_missing"
hkcu="HKEY_CURRENT_USER\\$root"

if [ "$mode" = win32 ]; then
  # One import for all values: REG_SZ strings, "@" for a key's default value.
  regroot="HKEY_CURRENT_USER\\$root"
  {
    printf 'REGEDIT4\r\n\r\n'
    printf '[%s\\JRE]\r\n"Home"="C:\\\\jre home"\r\n\r\n' "$regroot"
    printf '[%s\\Fallback\\Home]\r\n@="C:\\\\from default"\r\n\r\n' "$regroot"
    printf '[%s\\Both]\r\n"Home"="value wins"\r\n\r\n' "$regroot"
    printf '[%s\\Both\\Home]\r\n@="default loses"\r\n\r\n' "$regroot"
    printf '[%s\\Empty]\r\n"Home"=""\r\n\r\n' "$regroot"
  } >"$work/values.reg"
  wiz_wine reg import "$(winpath "$work/values.reg")" >/dev/null 2>&1 || { echo "reg import failed"; exit 1; }

  # label | hint | result | log
  cases=(
    "value|\\$hkcu\\JRE\\Home|TEXT:C:\\jre home|"
    "no leading backslash|$hkcu\\JRE\\Home|TEXT:C:\\jre home|"
    "default value of the subkey|\\$hkcu\\Fallback\\Home|TEXT:C:\\from default|"
    "named value first|\\$hkcu\\Both\\Home|TEXT:value wins|"
    "empty value|\\$hkcu\\Empty\\Home|NONE|"
    "missing key|\\$hkcu\\Missing\\Home|NONE|$warning"
    "missing value and subkey|\\$hkcu\\JRE\\Other|NONE|$warning"
  )
else
  cases=(
    "no registry|\\$hkcu\\JRE\\Home|NONE|WARNING: Invalid platform hint: There is no registry on this system."
  )
fi
cases+=(
  "short hive|\\HKCU\\$root\\JRE\\Home|ERROR:Invalid hive (HKCU) specified in platform hint (\\HKCU\\$root\\JRE\\Home).|"
  "lower-case hive|\\hkey_current_user\\$root\\JRE\\Home|ERROR:Invalid hive (hkey_current_user) specified in platform hint (\\hkey_current_user\\$root\\JRE\\Home).|"
  "no backslash after the hive|\\HKEY_CURRENT_USER|ERROR:Invalid hive () specified in platform hint (\\HKEY_CURRENT_USER).|"
)

# All hints in one run; the log of each is compared without carriage returns, blank lines (system
# texts end with a line break of their own) and the separator line of the process.
hints=()
for c in "${cases[@]}"; do
  IFS='|' read -r label h want_result want_log <<<"$c"
  hints+=("$h")
done
mkdir "$work/logs"
logdir="$work/logs"
[ "$mode" = win32 ] && logdir=$(winpath "$work/logs")
mapfile -t results < <(run_hint "$logdir" "${hints[@]}" | tr -d '\r')

n=0
for c in "${cases[@]}"; do
  IFS='|' read -r label h want_result want_log <<<"$c"
  n=$((n + 1))
  log=$( [ -f "$work/logs/$n.log" ] && tr -d '\r' <"$work/logs/$n.log" | grep -v -e '^$' -e '^-*$' )
  compare "$label: result" "$want_result" "${results[$((n - 1))]:-}"
  compare "$label: log" "$want_log" "$log"
done

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all ${#cases[@]} hints resolved as expected"
