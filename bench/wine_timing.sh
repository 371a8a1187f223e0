#!/usr/bin/env bash
# Builds bench/wine_timing.cpp with the 64-bit MinGW compiler against the
# loader's own sources and runs it under Wine in a private prefix.
#   bench/wine_timing.sh [prefix folder, default /tmp/wine-brisklet-bench]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
x86_64-w64-mingw32-g++-posix -std=c++17 -O2 -Wall -Wextra -Werror -DUNICODE -D_UNICODE \
    -DWIN32_LEAN_AND_MEAN -DNOMINMAX -D_WIN32_WINNT=0x0601 -I"$root" \
    "$here/wine_timing.cpp" "$root/core/list_kernels_x86.cpp" "$root/core/list_loader.cpp" \
    "$root/core/reference_decoder.cpp" "$root/core/text_list.cpp" "$root/core/list_file.cpp" "$root/base/files_win.cpp" \
    -static -static-libgcc -static-libstdc++ -o "$out/wine_timing.exe"
export WINEPREFIX="${1:-/tmp/wine-brisklet-bench}" WINEDEBUG=-all
if [ ! -d "$WINEPREFIX" ]; then
    /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
fi
/usr/lib/wine/wine64 "$out/wine_timing.exe"
/usr/lib/wine/wineserver -k || true
