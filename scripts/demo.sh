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
#   BRISKLET_WIN32_BUILD, BRISKLET_WIN64_BUILD   other build folders
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)

want_window=""
case "${1:-}" in
    --window) want_window=1 ;;
    "") ;;
    *) echo "usage: $0 [--window]" >&2; exit 2 ;;
esac
real_display=""
if [[ -n "${DISPLAY:-}" ]] && xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
    real_display=1
    want_window=1
fi

./scripts/setup.sh
BRISKLET_NO_SETUP=1 ./scripts/package.sh
version=$(sed -n 's/^project(Brisklet VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
zip="${BRISKLET_PACKAGE:-build/Brisklet-$version-win32.zip}"
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
host_pid=""
cleanup() {
    exec 3>&- 2>/dev/null || true
    if [[ -n "$host_pid" ]]; then
        # The host quits when its input ends; give it a moment first.
        for _ in $(seq 50); do kill -0 "$host_pid" 2>/dev/null || break; sleep 0.1; done
        kill "$host_pid" 2>/dev/null || true
        wait "$host_pid" 2>/dev/null || true
    fi
    stop_services
}
trap cleanup EXIT
start_services

say() { printf '\n== %s\n' "$*"; }
note() { printf '   %s\n' "$*"; }

say "brisklet-check reads the shipped texts first (64-bit twin, same code)"
(cd "$demo" && "$WINE" brisklet-check.exe) | sed 's/^/   /' || true

# The picture names, as the checker knows them.
PICTURE_NAMES=$(cd "$demo" && "$WINE" brisklet-check.exe --icons </dev/null | tr -d '\r')
export PICTURE_NAMES

# The host's own lines, made friendlier: picture names, line breaks shown as
# arrows, and of each pair the plug-in sends (icon 0 first, then the real
# one, so the messenger redraws) only the second.
FILTER='
import os, re, select, sys
NAMES = dict(line.split(" ", 1) for line in os.environ["PICTURE_NAMES"].splitlines() if " " in line)
LINE = re.compile(r"^(\d\d:\d\d:\d\d)\.\d+  icon (-?\d+)  Status \"(.*)\"  xStatus \"(.*)\"$")
log = open(sys.argv[1], "a")
def out(text):
    print(text, flush=True)
def show(m):
    icon = int(m.group(2))
    name = NAMES.get(str(icon), "?")
    text = m.group(4).replace("\\r\\n", " \u21b5 ")
    out("   %s  [%d %s] %s: %s" % (m.group(1), icon, name, m.group(3), text))
held = None
last = None
def flush():
    global held
    if held:
        show(held)
    held = None
def line_in(line):
    global held, last
    log.write(line + "\n"); log.flush()
    m = LINE.match(line)
    if not m:
        flush()
        out("   " + re.sub(r"^(\d\d:\d\d:\d\d)\.\d+", r"\1", line))
        return
    if held and held.group(3, 4) == m.group(3, 4) and m.group(2) != "0":
        held = None
    else:
        flush()
    if m.group(2) == "0":
        held = m
    elif m.group(2, 3, 4) == last:
        out("   %s  (the same entry was drawn again)" % m.group(1))
    else:
        show(m)
    if m.group(2) != "0":
        last = m.group(2, 3, 4)
fd = sys.stdin.fileno()
buf = b""
while True:
    ready, _, _ = select.select([fd], [], [], 0.4 if held else None)
    if not ready:
        flush()
        continue
    chunk = os.read(fd, 4096)
    if not chunk:
        break
    buf += chunk
    while b"\n" in buf:
        raw, buf = buf.split(b"\n", 1)
        line_in(raw.decode("utf-8", "replace").rstrip("\r"))
flush()
'

log="$demo/host.log"
fifo="$demo/.commands"
: >"$log"
mkfifo "$fifo"
(cd "$demo" && exec "$WINE" brisklet-host.exe --dll Brisklet.dll <"$fifo" 2>&1 | python3 -u -c "$FILTER" "$log") &
host_pid=$!
exec 3>"$fifo"
send() { printf '%s\n' "$@" >&3; }
# Waits until the host has printed a line holding text.
wait_for() {
    local text="$1" seconds="$2"
    for _ in $(seq $((seconds * 10))); do
        grep -q -- "$text" "$log" && return 0
        sleep 0.1
    done
    echo "demo: no \"$text\" from the host after $seconds s" >&2
    return 1
}
started=$(date +%s)

say "The messenger stand-in loads the plug-in from $demo"
wait_for "loaded" 60
send "set interval 2" "set unit 0" "set selection ;;5;;10;;" "set mode 0" "start"
note "settings: a change every 2 seconds, at pictures 5 (beer) and 10 (coffee)"

say "xStatus mode: only the xStatus text changes, drawn from list.txt"
note "you set your status to picture 5:"
send 'status 5 "Beer" "Friday!"'
sleep 6

say "You pick picture 7 (eating). It is not ticked, so Brisklet leaves it alone"
send 'status 7 "Lunch" "Soup first, then the world."'
sleep 4.5

say "Back to a ticked picture, 10 (coffee): the changes start again"
send 'status 10 "Coffee" "Second cup."'
sleep 4.5

say "Full mode: picture, title and text, from statuses.txt, for all ticked pictures"
send "stop" "set mode 1" "resume" 'status 5 "Beer" "Friday!"'
sleep 7

say "Icon mode: title and text from statuses.txt, for the picture you have on"
send "stop" "set mode 2" "resume" 'status 10 "Coffee" "Second cup."'
sleep 6

say "The messenger stops the plug-in: nothing changes"
send "stop"
sleep 4

say "The messenger switches to Russian; the plug-in resumes, in xStatus mode again"
note "(the options window follows the language; the texts are sent as written)"
send "language Russian" "set mode 0" "resume"
sleep 4.5
send "stop"

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
exec 3>&-
wait "$host_pid" 2>/dev/null || true
host_pid=""
say "Done: the session took $(( $(date +%s) - started )) s. The package is $zip"
