#!/usr/bin/env bash
# Checks the direction of the dependencies between the source folders: a folder includes only
# from itself and the folders before it in the order of src/layers.txt. src/main.cpp (the entry
# point) may include every folder; tools/ only the folders up to jvm (it reads the documents it
# packs the way the launcher does, and runs none of them). It also checks that only the Windows
# backends (*_win32.*), src/ui and the
# Windows-only platform headers include <windows.h> or the headers that wrap it.
#
#   bash scripts/check-layers.sh [SOURCE_ROOT]     (default: the repository)
#
# Prints one line per violation (file:line: what) and exits 1 when there is any.
set -u
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
layers=()
while IFS= read -r line; do
    case $line in
    '' | '#'*) ;;
    *) layers+=("$line") ;;
    esac
done <"$root/src/layers.txt"

rank() {
    local i
    for i in "${!layers[@]}"; do
        [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }
    done
    echo -1
}

violations=0
report() {
    echo "$1"
    violations=$((violations + 1))
}

# check FILE HIGHEST_RANK LABEL: every project include of FILE names a folder of rank at most
# HIGHEST_RANK.
check() {
    local file=$1 highest=$2 label=$3 line number folder r
    number=0
    while IFS= read -r line || [ -n "$line" ]; do
        number=$((number + 1))
        case $line in
        '#include "'*/*'"'*) ;;
        *) continue ;;
        esac
        folder=${line#\#include \"}
        folder=${folder%%/*}
        r=$(rank "$folder")
        [ "$r" -lt 0 ] && continue
        if [ "$r" -gt "$highest" ]; then
            report "${file#"$root"/}:$number: $label includes from $folder, a later layer: ${line}"
        fi
    done <"$file"
}

for dir in "${layers[@]}"; do
    [ -d "$root/src/$dir" ] || continue
    r=$(rank "$dir")
    for f in "$root/src/$dir"/*.h "$root/src/$dir"/*.cpp; do
        [ -f "$f" ] && check "$f" "$r" "$dir"
    done
done
for f in "$root"/tools/*.cpp "$root"/tools/*.h; do
    [ -f "$f" ] && check "$f" "$(rank jvm)" "tools"
done

# <windows.h> stays in the Windows backends, the windowed host and the platform's Windows headers.
while IFS= read -r hit; do
    file=${hit%%:*}
    rest=${hit#*:}
    number=${rest%%:*}
    case ${file#"$root"/} in
    src/ui/* | *_win32.h | *_win32.cpp | src/platform/win32.h) ;;
    *) report "${file#"$root"/}:$number: only Windows backends include the Windows headers: ${rest#*:}" ;;
    esac
done < <(grep -n -E '#include (<windows\.h>|"platform/win32\.h"|"platform/handle_win32\.h")' \
    -r "$root/src" --include='*.h' --include='*.cpp' 2>/dev/null)

if [ "$violations" -ne 0 ]; then
    echo "check-layers: $violations violation(s)"
    exit 1
fi
echo "check-layers: every include points down the layers"
