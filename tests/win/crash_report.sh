#!/bin/sh
# A crashing Windows program ends within a minute and says where: Wine's
# automatic debugger and its crash dialog are off in our prefixes
# (scripts/wine_prefix.sh). Otherwise a crash in a test costs the run its
# whole time-out before anyone is told.
#   tests/win/crash_report.sh WINE PROGRAM
wine=$1
program=$2
out=$(mktemp)
start=$(date +%s)
timeout 60 "$wine" "$program" >"$out" 2>&1 </dev/null
rc=$?
took=$(( $(date +%s) - start ))
report=$(grep -m1 "Unhandled page fault" "$out" | tr -d '\r')
cat "$out"
rm -f "$out"
if [ "$rc" = 124 ]; then
    echo "crash report: FAILED: the crashed program was still there after 60 s"
    exit 1
fi
if [ "$rc" = 0 ] || [ -z "$report" ]; then
    echo "crash report: FAILED: exit $rc, no report of the crash"
    exit 1
fi
case "$report" in
    *" at address "*) ;;
    *) echo "crash report: FAILED: the report names no address: $report"; exit 1 ;;
esac
echo "crash report: ended in $took s with exit $rc: $report"
