#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12 (as root); with
# --guest also the i686 guest for the 32-bit runs, which only the tests and
# demo.sh --i686 use (guest_run.sh builds it too when it is missing), and the
# Free Pascal cross compiler of the Object Pascal host that runs there
# (test_pascal_host.sh builds it too). Safe to run again: it skips what is
# there.
set -euo pipefail

PACKAGES=(cmake g++ clang libclang-rt-14-dev googletest libbenchmark-dev
          g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686
          wine64 xvfb x11-apps x11-utils imagemagick zip unzip python3
          g++-multilib qemu-user-static qemu-system-x86 debootstrap e2fsprogs
          fortunes-min fortunes-de fortunes-ru
          fp-compiler-3.2.2 fp-units-rtl-3.2.2 fpc-source-3.2.2)
# Free Pascal: the compiler and runtime that build the cross compiler, and
# its source; the "fpc" package would add an IDE and documentation besides.

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

# The i686 guest in which the 32-bit programs run (built once, then cached).
if [[ "${1:-}" == "--guest" ]]; then
    "$(dirname "$0")/guest_image.sh" >/dev/null
    "$(dirname "$0")/fpc_cross.sh" >/dev/null
fi
