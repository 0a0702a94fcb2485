#!/usr/bin/env bash
# Configures and builds the given presets; by default native (POSIX backend), win32 (MinGW i686,
# the product, built on every host) and, on a host that cannot run 32-bit code, also win64
# (MinGW x86_64), whose tests run there instead.
#
#   bash scripts/build.sh [PRESET...]
set -euo pipefail
cd "$(dirname "$0")/.."
WIZ_ROOT=$PWD
. scripts/wine-env.sh

presets=("$@")
if [ ${#presets[@]} -eq 0 ]; then
    presets=(native win32)
    wiz_windows_target
    [ "$WIZ_WINDOWS_TARGET" = win64 ] && presets+=(win64)
fi
for preset in "${presets[@]}"; do
    echo "== build $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done
