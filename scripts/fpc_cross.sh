#!/usr/bin/env bash
# Builds, once, a Free Pascal cross compiler for i386-win32 and its runtime,
# from Debian's packaged compiler source (fpc-source-3.2.2) with the packaged
# x86-64 compiler (fp-compiler-3.2.2). The Object Pascal host (host/pascal)
# is built with it. Cached under $BRISKLET_FPC_CACHE (/var/cache/brisklet-fpc),
# keyed by this script, so running it again costs nothing; prints the folder,
# which holds bin/ppcross386 and units/ (the i386-win32 runtime).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
CACHE="${BRISKLET_FPC_CACHE:-/var/cache/brisklet-fpc}"
key="$(sha256sum "$ROOT/scripts/fpc_cross.sh" | cut -c1-16)"
out="$CACHE/$key"

if [[ -f "$out/ready" ]]; then
    echo "$out"
    exit 0
fi

VERSION=3.2.2
SRC=/usr/share/fpcsrc/$VERSION
NATIVE_UNITS=/usr/lib/x86_64-linux-gnu/fpc/$VERSION/units/x86_64-linux
MESSAGES=/usr/lib/x86_64-linux-gnu/fpc/$VERSION/msg/errore.msg
for need in "$SRC/compiler/pp.pas" "$SRC/rtl/win32/system.pp" "$NATIVE_UNITS/rtl/system.ppu" "$MESSAGES"; do
    [[ -e "$need" ]] || { echo "fpc_cross: $need is missing: run scripts/setup.sh (packages fp-compiler-$VERSION, fp-units-rtl-$VERSION, fpc-source-$VERSION)" >&2; exit 1; }
done
command -v ppcx64 >/dev/null || { echo "fpc_cross: no ppcx64: run scripts/setup.sh (package fp-compiler-$VERSION)" >&2; exit 1; }

echo "fpc_cross: building the i386-win32 cross compiler in $out (about a minute, once)" >&2
start=$SECONDS
mkdir -p "$CACHE"
work="$(mktemp -d "$CACHE/build.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/tools" "$work/inc" "$work/compiler" "$work/bin" "$work/units"
# Every compiler run works in the build folder: the source tree is the
# package's and stays as it is. -n: no fpc.cfg, every path is given here.
cd "$work"
native=(ppcx64 -n -Fu"$NATIVE_UNITS/rtl" -viwn-)

# Debian's source leaves out the message tables the compiler includes; the
# source's own tool makes them from the packaged message file.
"${native[@]}" -FEtools -FUtools "$SRC/compiler/utils/msg2inc.pp" >tools.log 2>&1 ||
    { cat tools.log >&2; exit 1; }
tools/msg2inc "$MESSAGES" inc/msg msg >>tools.log 2>&1 || { cat tools.log >&2; exit 1; }

C="$SRC/compiler"
"${native[@]}" -O2 -di386 -dGDB -dBROWSERLOG -Fiinc \
    -Fu"$C" -Fi"$C" -Fu"$C/i386" -Fi"$C/i386" -Fu"$C/x86" -Fi"$C/x86" -Fu"$C/systems" \
    -FUcompiler -FEbin -oppcross386 "$C/pp.pas" >compiler.log 2>&1 ||
    { tail -n 30 compiler.log >&2; exit 1; }
compiler_seconds=$((SECONDS - start))

# The runtime for i386-win32, as rtl/win32's makefile builds it: the system
# unit, objpas (Delphi and objfpc modes), then everything buildrtl names.
R="$SRC/rtl"
cross=(bin/ppcross386 -n -Twin32 -O2 -FUunits -Fuunits -Fi"$R/inc" -Fi"$R/i386" -Fi"$R/win" -Fi"$R/x86"
       -Fi"$R/win32" -Fu"$R/inc" -Fu"$R/i386" -Fu"$R/win" -Fu"$R/win32" -viwn-)
{
    "${cross[@]}" -Us -Sg "$R/win32/system.pp" &&
    "${cross[@]}" -I"$R/objpas" "$R/objpas/objpas.pp" &&
    "${cross[@]}" -Fi"$R/objpas/sysutils" -Fi"$R/objpas/classes" -I"$R/objpas" -I"$R/win/wininc" \
        -Fu"$R/win/wininc" -Fu"$R/objpas" "$R/win32/buildrtl.pp"
} >rtl.log 2>&1 || { tail -n 30 rtl.log >&2; exit 1; }

rm -rf tools inc compiler
echo "compiler $compiler_seconds s, runtime $((SECONDS - start - compiler_seconds)) s" >build-times
touch ready
cd /
# One build at a time: an older key's build is of no more use.
find "$CACHE" -mindepth 1 -maxdepth 1 -type d ! -name "build.*" ! -path "$work" -exec rm -rf {} +
mv "$work" "$out"
trap - EXIT
echo "fpc_cross: built in $((SECONDS - start)) s ($(cat "$out/build-times"))" >&2
echo "$out"
