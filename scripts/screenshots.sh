#!/usr/bin/env bash
# Regenerates the pictures of the options window in docs/: options-page.png,
# other-page.png, about-page.png and options-page-ru.png (with the shipped
# Russian dictionary), at 96 DPI and, ending in "-144", at 144 DPI. The 64-bit build shows the window under Xvfb and
# Wine, and the Windows test program saves what the screen shows.
#
#   scripts/screenshots.sh [BUILD_DIR]      default build/win64
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD="${1:-build/win64}"
if [[ ! -f "$BUILD/CMakeCache.txt" ]]; then
    cmake --preset win64 -B "$BUILD" >/dev/null
fi
cmake --build "$BUILD" -j2 --target win_tests Brisklet

# A prefix of its own, so the look set here stays out of the tests' prefix,
# and a screen of its own, large enough for the window at 144 DPI (a window
# reaching past the screen's edge is read back black).
unset DISPLAY
export BRISKLET_SCREEN=1600x1200x24
export BRISKLET_WINEPREFIX="${BRISKLET_SCREENSHOT_PREFIX:-$PWD/build/wineprefix-screenshots}"
# Without a window manager Wine draws the frame and caption itself (the
# prefix's own settings see to that), and links get the hot-light blue of
# Windows rather than the Wine theme's grey.
export PREFIX_EXTRA_SETTINGS='HKCU\Control Panel\Colors|HotTrackingColor|REG_SZ|0 102 204'
source scripts/env.sh
trap stop_services EXIT
start_services || exit 1

out="$(mktemp -d)"
trap 'rm -rf "$out"; stop_services' EXIT
cp Languages/Russian.ini "$out/"
# At 96 DPI and at 144 (150 %), each with the prefix's LogPixels set; the
# 144-DPI pictures end in "-144".
for dpi in 96 144; do
    suffix=""
    [[ $dpi == 96 ]] || suffix="-$dpi"
    BRISKLET_SCREENSHOTS="Z:${out//\//\\}" BRISKLET_SCREENSHOT_SUFFIX="$suffix" \
        tests/win/at_dpi.sh "$dpi" "$WINE" "$BUILD/bin/win_tests.exe" --gtest_filter=OptionsWindow.Screenshots
    for name in options-page other-page about-page options-page-ru; do
        convert "$out/$name$suffix.bmp" -strip "docs/$name$suffix.png"
    done
done
echo "screenshots: docs/{options-page,other-page,about-page,options-page-ru}{,-144}.png"
