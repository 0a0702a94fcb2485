#!/usr/bin/env bash
# Checks that every C++ source of the project is formatted by .clang-format (clang-format 14, as
# Debian 12 has it). To reformat: bash scripts/check-format.sh --fix
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'tools/*.cpp' \
    'tools/*.h' 'bench/*.cpp' 'java/*.cpp' 2>/dev/null)
if [ "${1:-}" = --fix ]; then
    clang-format -i "${files[@]}"
    exit 0
fi
if ! clang-format --dry-run -Werror "${files[@]}"; then
    echo "check-format: the files above differ from .clang-format (fix: bash scripts/check-format.sh --fix)"
    exit 1
fi
echo "check-format: ${#files[@]} files formatted"
