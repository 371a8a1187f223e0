#!/usr/bin/env bash
# Shows Brisklet at work in under a minute: builds the release package, then
# runs the 64-bit twin of the DLL in the messenger stand-in under Wine, with
# the package's texts and dictionaries, a 2-second interval and a scripted
# session through the three work modes. Each change of the extended status is
# printed as it happens.
#
#   ./scripts/demo.sh            the session; with a display it also opens
#                                the options window (close it to go on)
#   ./scripts/demo.sh --window   also without a display: the options window
#                                is opened under Xvfb and saved as
#                                build/demo/options.png and options-ru.png
#   ./scripts/demo.sh --i686     the same session with the shipped 32-bit
#                                DLL and checker from the zip, in the 32-bit
#                                host stand-in, inside the i686 guest
#   BRISKLET_WIN32_BUILD, BRISKLET_WIN64_BUILD   other build folders
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)

want_window=""
on_i686=""
case "${1:-}" in
    --window) want_window=1 ;;
    --i686) on_i686=1 ;;
    "") ;;
    *) echo "usage: $0 [--window | --i686]" >&2; exit 2 ;;
esac
real_display=""
if [[ -z "$on_i686" && -n "${DISPLAY:-}" ]] && xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
    real_display=1
    want_window=1
fi

./scripts/setup.sh
BRISKLET_NO_SETUP=1 ./scripts/package.sh
version=$(sed -n 's/^project(Brisklet VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
zip="${BRISKLET_PACKAGE:-build/Brisklet-$version-win32.zip}"

if [[ -n "$on_i686" ]]; then
    # The zip's own 32-bit programs, with the host stand-in built for i686.
    cmake --preset win32-tests >/dev/null
    cmake --build --preset win32-tests --target brisklet-host
    job="$ROOT/build/demo-i686"
    rm -rf "$job"
    mkdir -p "$job/package"
    unzip -q "$zip" -d "$job/package"
    cp build/win32-tests/bin/brisklet-host.exe "$job/package/"
    cp scripts/demo_session.sh "$job/"
    cat >"$job/job.sh" <<'JOB'
exec bash -c '
WINE=wine demo="$PWD/package"
source ./demo_session.sh
check_texts "the shipped 32-bit checker"
start_host
run_session
send quit
stop_host
'
JOB
    echo "demo: booting the i686 guest, then the session with the shipped 32-bit Brisklet.dll under 32-bit Wine"
    ./scripts/guest_run.sh "$job" 900
    # The status changes the plug-in made (icon 0 is only the redraw).
    changes=$(grep -c '  icon [1-9]' "$job/package/host.log" 2>/dev/null || true)
    printf '\n== Done: the shipped 32-bit DLL made %s status changes in the i686 guest\n' "${changes:-0}"
    [[ "${changes:-0}" -ge 10 ]]
    exit
fi
win64="${BRISKLET_WIN64_BUILD:-build/win64}"
cmake --preset win64 -B "$win64" >/dev/null
cmake --build "$win64" -j2 --target Brisklet brisklet-host brisklet-check brisklet-window

# The package as a user unpacks it, with the 64-bit twins in place of the
# 32-bit programs: this Wine runs 64-bit code only.
demo="$ROOT/build/demo"
rm -rf "$demo"
mkdir -p "$demo"
unzip -q "$zip" -d "$demo"
cp "$win64/bin/Brisklet.dll" "$win64/bin/brisklet-check.exe" "$win64/bin/brisklet-host.exe" \
   "$win64/bin/brisklet-window.exe" "$demo/"

source scripts/env.sh
source scripts/demo_session.sh
cleanup() {
    stop_host
    stop_services
}
trap cleanup EXIT
start_services || exit 1

check_texts "64-bit twin, same code"
start_host
started=$(date +%s)
run_session

if [[ -n "$want_window" ]]; then
    say "The options window (what the messenger's Options button opens)"
    shots=(options-ru options)
    [[ -n "$real_display" ]] && shots=(options)
    for shot in "${shots[@]}"; do
        if [[ $shot == options ]]; then
            send "language English"
            # Printed once the previous window is gone.
            wait_for "language English" 30 || break
        fi
        send "options"
        if ! geometry=$("$WINE" "$demo/brisklet-window.exe" wait "Brisklet : " 30 | tr -d '\r'); then
            note "the window did not appear"
            break
        fi
        if [[ -n "$real_display" ]]; then
            note "close the window (Save or Cancel) to go on"
            break
        fi
        read -r left top width height <<<"$geometry"
        if xwd -root -silent -display "$DISPLAY" |
            convert xwd:- -crop "${width}x${height}+${left}+${top}" +repage "$demo/$shot.png"; then
            note "saved $demo/$shot.png"
        fi
        "$WINE" "$demo/brisklet-window.exe" close "Brisklet : " || true
    done
else
    note "(run ./scripts/demo.sh --window to see the options window as a screenshot)"
fi

send "quit"
stop_host
say "Done: the session took $(( $(date +%s) - started )) s. The package is $zip"
