#!/usr/bin/env bash
# Checks the guest route itself before the i686 tests trust it: a job's
# output, exit code and written files come back, its Wine is the 32-bit one
# with a ready prefix, the update server's loopback works, and a job that
# overruns its time ends with 124 instead of hanging. One line per check,
# then "guest route: N passed, M failed".
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
work="$ROOT/build/guest-selftest"
rm -rf "$work"
mkdir -p "$work/run" "$work/late"

passed=0
failed=0
check() {
    local what="$1"; shift
    if "$@"; then passed=$((passed + 1)); echo "ok: $what"; else failed=$((failed + 1)); echo "FAILED: $what"; fi
}

echo "input from the host" >"$work/run/given.txt"
cat >"$work/run/job.sh" <<'JOB'
echo "output of the job"
cat given.txt >copied.txt
mkdir -p deeper && uname -m >deeper/machine.txt
wine cmd /c echo %PROCESSOR_ARCHITECTURE% | tr -d '\r' >arch.txt
test -f "$WINEPREFIX/system.reg" && echo yes >prefix.txt
python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(1); print("loopback")' >net.txt
exit 7
JOB
"$ROOT/scripts/guest_run.sh" "$work/run" 300 >"$work/run.log" 2>&1
rc=$?
check "the job's exit code comes back (7)" test "$rc" = 7
check "its output comes back" grep -qx "output of the job" "$work/run/job.out"
check "the files it writes come back, in their folders" grep -qx "input from the host" "$work/run/copied.txt"
check "it ran on an x86-64 kernel" grep -qx "x86_64" "$work/run/deeper/machine.txt"
check "its Wine is 32-bit" grep -qx "x86" "$work/run/arch.txt"
check "the Wine prefix was made with the image" grep -qx "yes" "$work/run/prefix.txt"
check "the loopback network is up" grep -qx "loopback" "$work/run/net.txt"

echo "sleep 600" >"$work/late/job.sh"
start=$SECONDS
"$ROOT/scripts/guest_run.sh" "$work/late" 5 >"$work/late.log" 2>&1
rc=$?
check "a job over its time ends with 124" test "$rc" = 124
# Done before the job's own 600 s could be over: it did not wait for it,
# however slow the guest is to start and stop.
check "and does not wait for the job (took $((SECONDS - start)) s)" test $((SECONDS - start)) -lt 600

if ((failed)); then
    echo "--- the runs' output:"; cat "$work/run.log" "$work/late.log"
fi
echo "guest route: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
