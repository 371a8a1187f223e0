#!/usr/bin/env bash
# The Object Pascal host (host/pascal) with the shipped 32-bit Brisklet.dll
# of the win32 preset, in the i686 guest: one whole life of the plug-in at
# each DPI asked for (default 96 and 144), with the update server inside the
# guest as the host's HTTP proxy. Builds the host first, with the cached
# Free Pascal cross compiler (scripts/fpc_cross.sh). Prints the host's checks
# and ends with "pascal host: ..." for each DPI; exit 1 on any failure.
#   scripts/test_pascal_host.sh [DPI...]
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"
dpis=("$@")
((${#dpis[@]})) || dpis=(96 144)
[[ -f build/win32/bin/Brisklet.dll ]] || { echo "test_pascal_host: build the win32 preset first" >&2; exit 1; }

# The host: a few seconds, no CMake. FPC finds the manifest's .res next to
# the program's source, so both are put in the build folder.
fpc="$("$ROOT/scripts/fpc_cross.sh" | tail -n 1)" || exit 1
out="$ROOT/build/pascal-host"
rm -rf "$out"
mkdir -p "$out/src" "$out/units"
cp host/pascal/*.pas host/pascal/*.dpr "$out/src/"
i686-w64-mingw32-windres -O res -I host/pascal host/pascal/pascal_host.rc -o "$out/src/pascal_host.res" || exit 1
"$fpc/bin/ppcross386" -n -Twin32 -O1 -Fu"$fpc/units" -FU"$out/units" -FE"$out" -ve -vw- \
    "$out/src/pascal_host.dpr" >"$out/build.log" 2>&1 || { cat "$out/build.log" >&2; exit 1; }

version="$(sed -n 's/^project(Brisklet VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
job="$out/job"
mkdir -p "$job/bin/plugin/Languages"
cp "$out/pascal_host.exe" tests/win/update_server.py tests/win/at_dpi.sh tests/win/guest_desktop.sh "$job/bin/"
cp build/win32/bin/Brisklet.dll "$job/bin/plugin/"
cp Languages/*.ini "$job/bin/plugin/Languages/"
{
    cat <<'JOB'
cd bin
. ./guest_desktop.sh
python3 update_server.py start update_server.port || exit 1
port=$(cut -d' ' -f1 update_server.port)
# Every update check is told of a newer version.
python3 -c 'import sys, urllib.request
urllib.request.urlopen(urllib.request.Request("http://127.0.0.1:%s/__control?status=200" % sys.argv[1],
    data=b"[update]\r\nmajor=9\r\nminor=0\r\nrelease=0\r\n", method="POST"), timeout=10).read()' "$port" || exit 1
export http_proxy="http://127.0.0.1:$port"
rc=0
JOB
    for dpi in "${dpis[@]}"; do
        run="wine"
        [[ "$dpi" == 96 ]] || run="env BRISKLET_WINE=wine sh at_dpi.sh $dpi wine"
        cat <<JOB
start=\$(date +%s)
$run pascal_host.exe 'plugin\\Brisklet.dll' $version >../host$dpi.out 2>../host$dpi.err
echo "exit \$? after \$((\$(date +%s) - start)) s" >>../host$dpi.out
JOB
    done
    echo 'unset http_proxy'
    echo 'python3 -c "import sys, urllib.request; print(urllib.request.urlopen(\"http://127.0.0.1:%s/__log\" % sys.argv[1], timeout=10).read().decode())" "$port" >../server.log 2>&1'
    echo 'python3 update_server.py stop update_server.port'
} >"$job/job.sh"

start=$SECONDS
"$ROOT/scripts/guest_run.sh" "$job" "${BRISKLET_PASCAL_TIMEOUT:-900}" >"$job/guest.log" 2>&1
guest_rc=$?
rc=0
for dpi in "${dpis[@]}"; do
    log="$job/host$dpi.out"
    echo "== the Object Pascal host at $dpi DPI"
    if [[ -f "$log" ]]; then cat "$log"; else echo "no output"; fi
    # Passed: every check ran and passed, and the program ended cleanly,
    # after its runtime finalized the store.
    if ! grep -q "^pascal host: [0-9]* checks, 0 failed ($dpi DPI)" "$log" 2>/dev/null ||
       ! grep -qx "exit 0 after [0-9]* s" "$log"; then
        rc=1
        [[ -s "$job/host$dpi.err" ]] && { echo "-- its standard error:"; tail -n 20 "$job/host$dpi.err"; }
    fi
done
if [[ $guest_rc != 0 ]]; then
    echo "-- the guest ended with $guest_rc:"; tail -n 30 "$job/guest.log"; rc=1
fi
echo "pascal host in the i686 guest: $([[ $rc == 0 ]] && echo passed || echo FAILED) at ${dpis[*]} DPI ($((SECONDS - start)) s in the guest)"
exit $rc
