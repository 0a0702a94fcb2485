#!/usr/bin/env bash
# Configures and builds the given presets; by default native (POSIX backend), win32 (MinGW i686,
# the product, built on every host), on a host that cannot run 32-bit code also win64 (MinGW
# x86_64), whose tests run there instead, and the release artifacts.
#
#   bash scripts/build.sh [PRESET... | release]
#
# "release" builds the presets release-win32 and release-native (size-optimised and stripped:
# the Windows launcher and wizpack.exe, the Linux launcher and wizpack), copies them to
# build/release/windows and build/release/linux, and prints their sizes.
set -euo pipefail
cd "$(dirname "$0")/.."
WIZ_ROOT=$PWD
. scripts/wine-env.sh

presets=("$@")
if [ ${#presets[@]} -eq 0 ]; then
    presets=(native win32)
    wiz_windows_target
    [ "$WIZ_WINDOWS_TARGET" = win64 ] && presets+=(win64)
    presets+=(release)
fi

release() {
    local system preset dir f
    for preset in release-win32 release-native; do
        echo "== build $preset"
        cmake --preset "$preset" >/dev/null
        cmake --build --preset "$preset"
    done
    rm -rf build/release
    mkdir -p build/release/windows build/release/linux
    cp build/release-win32/wizlaunch.exe build/release-win32/wizpack.exe build/release/windows/
    cp build/release-native/wizlaunch build/release-native/wizpack build/release/linux/
    echo "== release artifacts (stripped, size-optimised)"
    for system in windows linux; do
        for f in build/release/$system/*; do
            printf '   %-36s %8d bytes\n' "$f" "$(stat -c %s "$f")"
        done
    done
}

for preset in "${presets[@]}"; do
    if [ "$preset" = release ]; then
        release
        continue
    fi
    echo "== build $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done
