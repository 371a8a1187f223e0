#!/usr/bin/env bash
# Every test: builds all presets, then runs the native tests (plain and under
# sanitizers), the static checks of the 32-bit DLL, the content checks, and
# the Windows tests under Wine. Ends with one "N passed, M failed" line.
set -uo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh || exit 1
source scripts/env.sh
trap stop_services EXIT
start_services

passed=0
failed=0
step() {
    local name="$1"; shift
    echo "=== $name"
    if "$@"; then
        passed=$((passed + 1)); echo "--- ok: $name"
    else
        failed=$((failed + 1)); echo "--- FAILED: $name"
    fi
}

build() { cmake --preset "$1" >/dev/null && cmake --build --preset "$1"; }

step "build native" build native
step "build sanitize" build sanitize
step "build win32" build win32
step "build win64" build win64

step "native tests" ctest --preset native
step "native tests (address and UB sanitizers)" ctest --preset sanitize
step "32-bit DLL static checks" python3 tests/static/check_dll.py build/win32/bin/Brisklet.dll
for t in tests/native/*.py; do
    [[ -e "$t" ]] && step "$(basename "$t")" python3 "$t"
done
step "Windows tests (64-bit, Wine)" ctest --preset win64
step "hardening (fuzzing, sanitizers, hostile inputs)" ./scripts/harden.sh

echo "steps: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
