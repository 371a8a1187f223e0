#!/usr/bin/env bash
# Builds bench/wine_timing.cpp in the win64 build, linked with the core
# layer, and runs it under Wine in a private prefix.
#   bench/wine_timing.sh [prefix folder, default /tmp/wine-brisklet-bench]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target wine_timing
export WINEPREFIX="${1:-/tmp/wine-brisklet-bench}" WINEDEBUG=-all
if [ ! -d "$WINEPREFIX" ]; then
    /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
fi
/usr/lib/wine/wine64 build/win64/bin/wine_timing.exe </dev/null
/usr/lib/wine/wineserver -k || true
