#!/usr/bin/env bash
# Runs what CI runs, the README's two commands in order, in a fresh clone of
# this repository's HEAD with a fresh Wine prefix, and prints the time each
# took. Uncommitted changes are not in the clone.
#   ./scripts/check_fresh_clone.sh [FOLDER]   (default: a new temporary folder,
#                                              removed when the run passes)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
folder="${1:-$(mktemp -d /tmp/brisklet-fresh-XXXXXX)}"
rm -rf "$folder"
git clone -q --no-local "$root" "$folder"
cd "$folder"
echo "fresh clone of $(git rev-parse --short HEAD) in $folder"
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
    cd / && rm -rf "$folder"
fi
exit $status
