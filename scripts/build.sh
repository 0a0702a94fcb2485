#!/usr/bin/env bash
# Configures and builds both targets: native (POSIX backend) and win32 (MinGW i686).
set -euo pipefail
cd "$(dirname "$0")/.."
for preset in native win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
