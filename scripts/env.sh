# Sourced by the scripts: a private Wine prefix, quiet Wine, a display.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${BRISKLET_WINEPREFIX:-$ROOT/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
source "$ROOT/scripts/wine_prefix.sh"

STARTED_XVFB=""
# Starts Xvfb unless a display is already there, makes the prefix ready, and
# keeps one wineserver alive so each program starts fast. Returns non-zero,
# having said why, when the prefix cannot be made ready. stop_services ends
# what this started.
start_services() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    if [[ -z "${DISPLAY:-}" ]] || ! xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
        local n=$(( 90 + RANDOM % 400 ))
        Xvfb ":$n" -screen 0 "${BRISKLET_SCREEN:-1024x768x24}" -nolisten tcp >/dev/null 2>&1 &
        STARTED_XVFB=$!
        export DISPLAY=":$n"
        for _ in $(seq 50); do xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && break; sleep 0.1; done
    fi
    # The prefix and its settings, saved to disk, or a clear refusal.
    prefix_ready || return 1
    "$WINESERVER" -p >/dev/null 2>&1 || true
    # The first program of a wineserver session starts the prefix's services
    # (services.exe, winedevice.exe, ...). They live as long as the
    # persistent wineserver and keep the output they were given, so a
    # caller that reads it (ctest above all) would wait for them until its
    # time-out. Start them here, on no output at all, before anything else.
    "$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

stop_services() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
    if [[ -n "$STARTED_XVFB" ]]; then
        kill "$STARTED_XVFB" 2>/dev/null || true
        wait "$STARTED_XVFB" 2>/dev/null || true
    fi
}
