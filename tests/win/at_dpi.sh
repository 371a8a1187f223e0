#!/bin/sh
# Runs a Windows program with the screen at another DPI: sets LogPixels in
# the prefix (WINEPREFIX), which each Wine program reads as it starts, and
# puts it back afterwards, so the next program sees the prefix as it was.
#   tests/win/at_dpi.sh DPI PROGRAM [ARGUMENTS...]
# The program learns the DPI from BRISKLET_TEST_DPI.
set -u
dpi=$1
shift
WINE=${BRISKLET_WINE:-/usr/lib/wine/wine64}
key='HKCU\Control Panel\Desktop'

# The first program of a Wine start also starts the prefix's services, which
# keep its output open; start them on none, or a caller reading our output
# would wait for them.
start_wine() { "$WINE" cmd /c exit </dev/null >/dev/null 2>&1; }
set_dpi() {
    if [ -n "$1" ]; then
        "$WINE" reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1
    else
        "$WINE" reg delete "$key" /v LogPixels /f </dev/null >/dev/null 2>&1
    fi
}

start_wine
old=$("$WINE" reg query "$key" /v LogPixels </dev/null 2>/dev/null | tr -d '\r' | awk '$1 == "LogPixels" {print $3}')
case "$old" in 0x*) old=$(printf '%d' "$old") ;; esac
set_dpi "$dpi"
BRISKLET_TEST_DPI=$dpi "$@"
rc=$?
set_dpi "$old"
exit $rc
