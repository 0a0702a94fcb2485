#!/usr/bin/env bash
# Installs what the project needs on a Debian 12 machine (as root), skipping what is present.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
for p in cmake ninja-build g++ googletest g++-mingw-w64-i686 g++-mingw-w64-x86-64-posix wine \
         wine32:i386 wine64 xvfb xauth \
         clang libclang-rt-14-dev clang-format osslsigncode openssl imagemagick; do
  have "$p" || need+=("$p")
done
command -v javac >/dev/null 2>&1 || need+=(default-jdk-headless)

if [ ${#need[@]} -gt 0 ]; then
  echo "setup: installing ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then dpkg --add-architecture i386; fi
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
else
  echo "setup: all packages present"
fi
