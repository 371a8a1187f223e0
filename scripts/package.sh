#!/usr/bin/env bash
# Builds the product (the 32-bit Brisklet.dll and brisklet-check.exe) and packs
# build/Brisklet-<version>-win32.zip. The same sources give the same bytes.
#   BRISKLET_WIN32_BUILD  build folder (default build/win32, the preset's own)
#   BRISKLET_PACKAGE      zip to write (default build/Brisklet-<version>-win32.zip)
set -euo pipefail
cd "$(dirname "$0")/.."
[[ -n "${BRISKLET_NO_SETUP:-}" ]] || ./scripts/setup.sh

version=$(sed -n 's/^project(Brisklet VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
build="${BRISKLET_WIN32_BUILD:-build/win32}"
zip="${BRISKLET_PACKAGE:-build/Brisklet-$version-win32.zip}"

cmake --preset win32 -B "$build" >/dev/null
cmake --build "$build" -j2 --target Brisklet brisklet-check
mkdir -p "$(dirname "$zip")"
python3 packaging/make_zip.py "$zip" "$build"
echo "package: $zip ($(stat -c %s "$zip") bytes)"
