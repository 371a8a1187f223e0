#!/usr/bin/env bash
# Runs what CI runs, the README's two commands in order, in a fresh clone of
# this repository's HEAD with a fresh Wine prefix, and prints the time each
# took. Uncommitted changes are not in the clone.
#   ./scripts/check_fresh_clone.sh [--new-machine] [FOLDER]
#       FOLDER: default a new temporary folder, removed when the run passes
#       --new-machine: as a machine where none of this ran before: a new,
#       empty home (no ~/.wine, no caches of Wine or fontconfig), new caches
#       of the project's own (the Free Pascal compiler) and cold file caches;
#       only the i686 guest image is kept, if it is built, and the packages
#       that are installed
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
new_machine=""
if [[ "${1:-}" == "--new-machine" ]]; then
    new_machine=1
    shift
fi
folder="${1:-$(mktemp -d /tmp/brisklet-fresh-XXXXXX)}"
rm -rf "$folder"
git clone -q --no-local "$root" "$folder"
cd "$folder"
echo "fresh clone of $(git rev-parse --short HEAD) in $folder"
if [[ -n "$new_machine" ]]; then
    machine="$folder.machine"
    rm -rf "$machine"
    mkdir -p "$machine/home" "$machine/cache"
    export HOME="$machine/home"
    unset XDG_CACHE_HOME XDG_CONFIG_HOME XDG_DATA_HOME XDG_RUNTIME_DIR DISPLAY WINEPREFIX
    export BRISKLET_FPC_CACHE="$machine/cache/fpc"
    sync
    echo 3 >/proc/sys/vm/drop_caches 2>/dev/null || echo "fresh clone: cannot drop the file caches"
    echo "fresh clone: as a new machine: HOME=$HOME, no Wine prefix, no caches but the guest image's"
fi
status=0
mapfile -t commands < <(./scripts/readme_commands.sh)
for command in "${commands[@]}"; do
    start=$SECONDS
    if bash -c "$command"; then
        echo "fresh clone: '$command' passed in $((SECONDS - start)) s"
    else
        echo "fresh clone: '$command' FAILED after $((SECONDS - start)) s"
        status=1
        break
    fi
done
if ((status == 0)) && [[ -z "${1:-}" ]]; then
    cd / && rm -rf "$folder" "$folder.machine"
fi
exit $status
