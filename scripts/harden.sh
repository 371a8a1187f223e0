#!/usr/bin/env bash
# Hardening in one command: every fuzz target for a bounded time, the native
# tests under AddressSanitizer and UBSan, and the hostile-input tests under
# Wine. Ends with one summary line; exits non-zero on any finding.
#
#   ./scripts/harden.sh [--fuzz-seconds N]     (default 30 per target)
#
# Build folders are build/fuzz, build/sanitize and build/win64, shared with
# scripts/test.sh; HARDEN_BUILD_PREFIX=/some/dir- puts them elsewhere.
set -uo pipefail
cd "$(dirname "$0")/.."

FUZZ_SECONDS=30
while (($#)); do
    case "$1" in
    --fuzz-seconds) FUZZ_SECONDS="$2"; shift 2 ;;
    *) echo "usage: $0 [--fuzz-seconds N]" >&2; exit 2 ;;
    esac
done

./scripts/setup.sh || exit 1
source scripts/env.sh
trap stop_services EXIT

PREFIX="${HARDEN_BUILD_PREFIX:-build/}"
FUZZ_DIR="${PREFIX}fuzz"
SANITIZE_DIR="${PREFIX}sanitize"
WIN64_DIR="${PREFIX}win64"
LOGS="${PREFIX}harden-logs"
rm -rf "$LOGS"
mkdir -p "$LOGS"

crashes=0
leaks=0
lost=0
failed=0
hostile=0
execs=()
started=$SECONDS
times=()
phase_start=$SECONDS
phase_done() { times+=("$1 $((SECONDS - phase_start)) s"); phase_start=$SECONDS; }

build() {  # preset folder [targets...]
    local preset="$1" dir="$2"; shift 2
    local log="$LOGS/build-$preset.log"
    echo "=== build $preset ($dir)"
    local targets=()
    (($#)) && targets=(--target "$@")
    if cmake --preset "$preset" -B "$dir" >"$log" 2>&1 &&
        cmake --build "$dir" -j2 "${targets[@]}" >>"$log" 2>&1; then
        return 0
    fi
    tail -30 "$log"
    echo "--- build $preset FAILED (log: $log)"
    failed=$((failed + 1))
    return 1
}

# Sanitizer reports in a log: leaks apart, everything else is a crash.
count_sanitizer_reports() {  # log
    local log="$1" n
    n=$(grep -c 'ERROR: LeakSanitizer' "$log")
    leaks=$((leaks + n))
    n=$(grep -cE 'ERROR: AddressSanitizer|runtime error:|ERROR: UndefinedBehaviorSanitizer' "$log")
    crashes=$((crashes + n))
}

# --- Fuzzing: each target from its committed seeds plus the corpus it grew
# in earlier runs (kept in the build folder, never in the tree).
if build fuzz "$FUZZ_DIR"; then
    for target in "$FUZZ_DIR"/bin/libfuzzer_*; do
        name="$(basename "$target")"
        short="${name#libfuzzer_}"
        work="$FUZZ_DIR/corpus-grown/$short"
        findings="$FUZZ_DIR/findings/$short"
        log="$LOGS/$name.log"
        mkdir -p "$work" "$findings"
        echo "=== fuzz $name for ${FUZZ_SECONDS} s"
        timeout $((FUZZ_SECONDS + 120)) "$target" -max_total_time="$FUZZ_SECONDS" -print_final_stats=1 \
            -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$findings/" "$work" "fuzz/corpus/$short" >"$log" 2>&1
        rc=$?
        n=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*$')
        if [[ -z "$n" ]]; then  # no final stats after a crash: the last progress line
            n=$(grep -oE '^#[0-9]+' "$log" | tail -1 | tr -d '#')
        fi
        execs+=("$name=${n:-0}")
        if ((rc != 0)); then
            if grep -q 'ERROR: LeakSanitizer' "$log"; then
                leaks=$((leaks + 1))
            else
                crashes=$((crashes + 1))
            fi
            grep -m3 -E 'property violated|ERROR:|SUMMARY' "$log"
            echo "--- $name found a fault (exit $rc); input kept in $findings, log $log"
        fi
    done
fi

phase_done fuzzing

# --- The native tests under AddressSanitizer and UBSan.
if build sanitize "$SANITIZE_DIR" native_tests; then
    echo "=== native tests under sanitizers"
    log="$LOGS/native-sanitize.log"
    "$SANITIZE_DIR/bin/native_tests" >"$log" 2>&1
    rc=$?
    count_sanitizer_reports "$log"
    n=$(grep -cE '^\[  FAILED  \] [A-Za-z_0-9]+\.[A-Za-z_0-9/]+ \(' "$log")
    failed=$((failed + n))
    if ((rc != 0)) && ! grep -q '^\[==========\] .* ran\.' "$log"; then
        crashes=$((crashes + 1))
    fi
    grep -E '^\[  (PASSED|FAILED)  \]|ERROR:|runtime error:' "$log" | head -20
fi

phase_done sanitizers

# --- The hostile-input tests through the host stand-in, under Wine.
if build win64 "$WIN64_DIR" win_tests; then
    echo "=== hostile-input tests under Wine"
    start_services || exit 1
    # The update check's stand-in server, as ctest starts it for win_tests.
    port_file="$WIN64_DIR/bin/update_server.port"
    python3 tests/win/update_server.py start "$port_file" >/dev/null
    log="$LOGS/hostile.log"
    timeout 900 "$WINE" "$WIN64_DIR/bin/win_tests.exe" --gtest_filter='Hostile*:Hardening*' >"$log" 2>&1
    rc=$?
    python3 tests/win/update_server.py stop "$port_file" >/dev/null
    tr -d '\r' <"$log" >"$log.txt"
    while read -r c l s; do
        hostile=$((hostile + c))
        leaks=$((leaks + l))
        lost=$((lost + s))
    done < <(sed -nE 's/^hostile cases: ([0-9]+); leaks: ([0-9]+); lost settings: ([0-9]+)$/\1 \2 \3/p' "$log.txt")
    n=$(grep -cE '^\[  FAILED  \] [A-Za-z_0-9]+\.[A-Za-z_0-9/]+ \(' "$log.txt")
    failed=$((failed + n))
    # A test program that ends without its closing line went down with us.
    if ! grep -q '^\[==========\] .* ran\.' "$log.txt"; then
        crashes=$((crashes + 1))
        tail -20 "$log.txt"
        echo "--- win_tests ended early (exit $rc); log $log"
    fi
    grep -E '^\[  (PASSED|FAILED)  \]|Failure$' "$log.txt" | head -20
fi

phase_done "hostile tests"

printf -v phases '%s, ' "${times[@]}"
echo "hardening time: $((SECONDS - started)) s (${phases%, })"
echo "hardening: fuzz execs ${execs[*]:-none}; hostile cases $hostile; crashes $crashes; leaks $leaks;" \
    "lost settings $lost; failed checks $failed"
((crashes == 0 && leaks == 0 && lost == 0 && failed == 0))
