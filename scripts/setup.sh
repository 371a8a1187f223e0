#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12 (as root), and
# prepares a private Wine prefix. Safe to run again: it skips what is there.
set -euo pipefail

PACKAGES=(cmake g++ clang libclang-rt-14-dev googletest libbenchmark-dev
          g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686
          wine64 xvfb x11-apps x11-utils imagemagick zip unzip python3)

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq "${missing[@]}" >/dev/null
fi
