# The settings that every Wine prefix of ours needs, and the making of a
# prefix that holds them on disk, or a clear refusal. POSIX sh, so that the
# i686 guest's first boot sources it too. Needs WINE, WINESERVER and
# WINEPREFIX; PREFIX_EXTRA_SETTINGS adds lines of the same form.
#
# One setting a line, key|value|type|data:
# - no window manager here, so Wine must not manage windows: it would wait
#   2 s each time one goes away, and the window tests open hundreds;
# - no crash dialog and no debugger: a crashing program must end at once
#   with its exception and address in the log, not wait for a click or for
#   winedbg under emulation until the run's time-out.
PREFIX_SETTINGS='HKCU\Software\Wine\X11 Driver|Managed|REG_SZ|N
HKCU\Software\Wine\WineDbg|ShowCrashDialog|REG_DWORD|0
HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug|Debugger|REG_SZ|false'

prefix_all_settings() {
    printf '%s\n' "$PREFIX_SETTINGS"
    if [ -n "${PREFIX_EXTRA_SETTINGS:-}" ]; then printf '%s\n' "$PREFIX_EXTRA_SETTINGS"; fi
}

# Prints the settings that the prefix's registry files do not hold. The
# files are what the next wineserver loads: a value that only a running
# server holds is lost if that server is killed before it saves.
prefix_missing_settings() {
    prefix_all_settings | while IFS='|' read -r key name type data; do
        case "$key" in
            HKCU\\*) file="$WINEPREFIX/user.reg"; path=${key#HKCU\\} ;;
            HKLM\\*) file="$WINEPREFIX/system.reg"; path=${key#HKLM\\} ;;
            *) echo "$key|$name|$type|$data"; continue ;;
        esac
        case "$type" in
            REG_DWORD) want=$(printf '"%s"=dword:%08x' "$name" "$data") ;;
            *) want=$(printf '"%s"="%s"' "$name" "$data") ;;
        esac
        # Sections are written as [Software\\Wine\\X11 Driver] 1234...
        section=$(printf '[%s]' "$path" | sed 's/\\/\\\\/g')
        # Through the environment: awk -v would undo the doubled backslashes.
        if ! [ -f "$file" ] || ! SECTION="$section" WANT="$want" awk '
                /^\[/ { inside = (index($0, ENVIRON["SECTION"] " ") == 1 || $0 == ENVIRON["SECTION"]); next }
                inside && $0 == ENVIRON["WANT"] { found = 1; exit }
                END { exit !found }' "$file"; then
            echo "$key|$name|$type|$data"
        fi
    done
}

# Waits, a bounded time, until the prefix's wineserver has ended: it saves
# the registry to disk as it ends.
prefix_wait_saved() {
    if ! timeout 300 "$WINESERVER" -w; then
        echo "wine prefix: the wineserver of $WINEPREFIX did not end within 300 s" >&2
        return 1
    fi
}

# Makes the prefix if it is not there and puts in its settings; returns 0
# only when the registry files hold every one of them. Whatever runs in the
# prefix is ended first: a value written while another server or the first
# boot is still at work is not safe until a server has saved it.
prefix_ready() {
    [ -f "$WINEPREFIX/system.reg" ] && [ -z "$(prefix_missing_settings)" ] && return 0
    mkdir -p "$WINEPREFIX"
    prefix_log="$WINEPREFIX/setup.log"
    : >"$prefix_log"
    "$WINESERVER" -k >/dev/null 2>&1
    prefix_wait_saved || return 1
    if ! [ -f "$WINEPREFIX/system.reg" ]; then
        echo "wine prefix: creating $WINEPREFIX"
        if ! "$WINE" wineboot -i </dev/null >>"$prefix_log" 2>&1; then
            echo "wine prefix: wineboot -i failed in $WINEPREFIX:" >&2
            cat "$prefix_log" >&2
            return 1
        fi
        # The first boot's services and inf install go on after wineboot
        # returns; let them finish and the registry be saved first.
        prefix_wait_saved || return 1
    fi
    for prefix_attempt in 1 2 3; do
        prefix_missing=$(prefix_missing_settings)
        [ -z "$prefix_missing" ] && return 0
        [ "$prefix_attempt" = 1 ] || echo "wine prefix: settings not saved, trying again ($prefix_attempt of 3)" >&2
        printf '%s\n' "$prefix_missing" | while IFS='|' read -r key name type data; do
            "$WINE" reg add "$key" /v "$name" /t "$type" /d "$data" /f </dev/null >>"$prefix_log" 2>&1 ||
                echo "wine prefix: reg add '$key' /v $name failed (exit $?)" >>"$prefix_log"
        done
        prefix_wait_saved || return 1
    done
    echo "wine prefix: $WINEPREFIX does not hold these settings after 3 tries:" >&2
    printf '%s\n' "$prefix_missing" >&2
    cat "$prefix_log" >&2
    return 1
}
