#!/usr/bin/env bash
# Every test, each once: builds the presets, then runs the native tests with
# the content checks, the checks of the 32-bit product, the native tests
# built 32-bit under qemu-i386, the Windows tests under 64-bit Wine, the
# 32-bit Windows tests against the shipped DLL in the i686 guest, and the
# hardening run (fuzzing, the native tests under the sanitizers, the
# hostile-input Windows tests). Ends with one line "steps: N passed, M failed".
set -uo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh --guest || exit 1
source scripts/env.sh
trap stop_services EXIT
start_services || exit 1

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

built=" "
build() {
    cmake --preset "$1" >/dev/null && cmake --build --preset "$1" && built+="$1 "
}
# needs PRESET... -- COMMAND...: a step whose build failed fails without
# running, so binaries left from an earlier build never pass for new ones.
needs() {
    local preset
    while [[ "$1" != "--" ]]; do
        preset="$1"; shift
        if [[ "$built" != *" $preset "* ]]; then
            echo "not run: the $preset build failed"
            return 1
        fi
    done
    shift
    "$@"
}

step "build native" build native
step "build win32" build win32
step "build win64" build win64
step "build win32-tests" build win32-tests
step "build native32" build native32

step "native tests and content checks" needs native -- ctest --preset native -LE product
step "32-bit product: static checks and package" needs native win32 -- ctest --preset native -L product
# The 64-bit hostile-input cases run once, in the hardening step.
step "Windows tests (64-bit, Wine)" needs win64 -- env GTEST_FILTER='-Hostile*:Hardening*' ctest --preset win64
step "native tests, 32-bit (qemu-i386)" needs native32 -- ctest --preset native32
step "the i686 guest route" ./scripts/guest_selftest.sh
step "Windows tests, 32-bit product in the i686 guest" needs win32 win32-tests -- ./scripts/test_i686.sh
step "hardening (fuzzing, sanitizers, hostile inputs)" ./scripts/harden.sh

# The prefix keeps its settings through every test; saved once the server ends.
"$WINESERVER" -k >/dev/null 2>&1
prefix_wait_saved
lost=$(prefix_missing_settings)
if [[ -n "$lost" ]]; then
    echo "--- FAILED: the Wine prefix $WINEPREFIX lost settings:"; echo "$lost"
    failed=$((failed + 1))
else
    echo "--- the Wine prefix kept its settings"
fi

echo "steps: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
