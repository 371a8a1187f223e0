# Sourced by the jobs that run in the i686 guest, first: windows need the X
# server and Wine's desktop process. Under a loaded host the guest's Xvfb can
# come up after its init gave up waiting, and then the desktop never starts
# and no window of the session can be made; so wait for X here, and start
# Wine's session again if its desktop is not there.
for _ in $(seq 1200); do [ -e /tmp/.X11-unix/X0 ] && break; sleep 0.1; done
if ! [ -e /tmp/.X11-unix/X0 ]; then
    echo "guest: no X server after 120 s"
    exit 1
fi
if ! ps ax | grep -q '[e]xplorer.exe /desktop'; then
    echo "guest: Wine's desktop is not running; starting its session again"
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
    wineserver -p >/dev/null 2>&1
    wine cmd /c exit </dev/null >/dev/null 2>&1
fi
