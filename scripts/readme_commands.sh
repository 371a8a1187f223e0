#!/usr/bin/env bash
# Prints the commands of the README's first sh block, one per line, without
# their comments: the main job and the test command.
set -euo pipefail
cd "$(dirname "$0")/.."
awk '/^```sh$/ { inside = 1; next }
     inside && /^```/ { exit }
     inside { sub(/#.*/, ""); gsub(/^[ \t]+|[ \t]+$/, ""); if ($0 != "") print }' README.md
