# The demo's scripted session with the messenger stand-in, sourced by
# demo.sh: on this machine with the 64-bit twins under wine64, and inside the
# i686 guest with the shipped 32-bit programs under 32-bit Wine. Before
# sourcing, set WINE (the Wine to run) and demo (the unpacked package with
# brisklet-host.exe and brisklet-check.exe in it).

say() { printf '\n== %s\n' "$*"; }
note() { printf '   %s\n' "$*"; }

# Prints the checker's report on the shipped texts, and sets PICTURE_NAMES.
check_texts() {
    say "brisklet-check reads the shipped texts first ($1)"
    (cd "$demo" && "$WINE" brisklet-check.exe) | sed 's/^/   /' || true
    # The picture names, as the checker knows them.
    PICTURE_NAMES=$(cd "$demo" && "$WINE" brisklet-check.exe --icons </dev/null | tr -d '\r')
    export PICTURE_NAMES
}

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

# Starts the host on the plug-in; send writes it commands, wait_for waits
# for a line of its output, stop_host ends it.
host_pid=""
start_host() {
    log="$demo/host.log"
    fifo="$demo/.commands"
    : >"$log"
    rm -f "$fifo"
    mkfifo "$fifo"
    (cd "$demo" && exec "$WINE" brisklet-host.exe --dll Brisklet.dll <"$fifo" 2>&1 | python3 -u -c "$FILTER" "$log") &
    host_pid=$!
    exec 3>"$fifo"
}
send() { printf '%s\n' "$@" >&3; }
wait_for() {
    local text="$1" seconds="$2"
    for _ in $(seq $((seconds * 10))); do
        grep -q -- "$text" "$log" && return 0
        sleep 0.1
    done
    echo "demo: no \"$text\" from the host after $seconds s" >&2
    return 1
}
stop_host() {
    exec 3>&- 2>/dev/null || true
    if [[ -n "$host_pid" ]]; then
        # The host quits when its input ends; give it a moment first.
        for _ in $(seq 50); do kill -0 "$host_pid" 2>/dev/null || break; sleep 0.1; done
        kill "$host_pid" 2>/dev/null || true
        wait "$host_pid" 2>/dev/null || true
    fi
    host_pid=""
}

# The session through the three work modes; the host is left stopped.
run_session() {
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
}
