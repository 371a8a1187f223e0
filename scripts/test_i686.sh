#!/usr/bin/env bash
# The Windows tests on i686: win_tests, the update-check probe and the host
# stand-in as the win32-tests preset builds them, run inside the guest (see
# guest_image.sh) under 32-bit Wine, against the shipped Brisklet.dll of the
# win32 preset, with the local update server inside the guest too; and the
# shipped brisklet-check.exe's commands, whose previews must match the
# native build's; and a crashing program, which must end at once with its
# address (tests/win/crash_report.sh). Ends with "i686 Windows tests: N
# passed, M failed, K skipped".
#   scripts/test_i686.sh [GTEST_FILTER [DPI]]   (default: every test, at 96 DPI)
# With a DPI, the guest's screen is set to it first (tests/win/at_dpi.sh),
# for the OptionsDpi tests: scripts/test_i686.sh 'OptionsDpi.*' 144
# The options window's tests (Options*) run once more in win_tests_themed,
# the host with a comctl32 6 manifest: all of them for the default filter,
# those it names for a filter that starts with "Options", none otherwise.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"
filter="${1:-*}"
dpi="${2:-}"
themed_filter=""
case "$filter" in
    "*") themed_filter="Options*" ;;
    Options*) themed_filter="$filter" ;;
esac
for f in build/win32/bin/Brisklet.dll build/win32/bin/brisklet-check.exe build/win32-tests/bin/win_tests.exe \
         build/win32-tests/bin/win_tests_themed.exe build/win32-tests/bin/update_probe.dll \
         build/win32-tests/bin/brisklet-host.exe build/win32-tests/bin/crash_probe.exe build/native/bin/brisklet-check; do
    [[ -f "$f" ]] || { echo "test_i686: $f is missing: build the win32, win32-tests and native presets" >&2; exit 1; }
done

job="$ROOT/build/i686-tests"
rm -rf "$job"
mkdir -p "$job/bin"
cp build/win32/bin/Brisklet.dll build/win32-tests/bin/win_tests.exe build/win32-tests/bin/win_tests_themed.exe \
   build/win32-tests/bin/update_probe.dll build/win32-tests/bin/brisklet-host.exe build/win32-tests/bin/crash_probe.exe \
   tests/win/update_server.py tests/win/at_dpi.sh tests/win/crash_report.sh tests/win/guest_desktop.sh "$job/bin/"
cp -r build/win32-tests/bin/Languages "$job/bin/"
cp build/win32/bin/brisklet-check.exe tests/win/checker_commands.py tests/check_report.py "$job/bin/"
BRISKLET_CHECK=build/native/bin/brisklet-check python3 tests/win/checker_commands.py \
    --write-reference "$job/bin/reference.json" || exit 1
run="wine"
if [[ -n "$dpi" ]]; then
    run="env BRISKLET_WINE=wine sh at_dpi.sh $dpi wine"
fi
cat >"$job/job.sh" <<JOB
cd bin
. ./guest_desktop.sh
BRISKLET_CHECK=brisklet-check.exe BRISKLET_WINE=wine BRISKLET_REFERENCE=reference.json \
    python3 checker_commands.py >../checker.log 2>&1
echo "checker: \$?" >>../checker.log
python3 update_server.py start update_server.port || exit 1
$run win_tests.exe --gtest_filter='$filter' --gtest_output=xml:../win_tests.xml
rc=\$?
if [ -n '$themed_filter' ]; then
    $run win_tests_themed.exe --gtest_filter='$themed_filter' --gtest_output=xml:../win_tests_themed.xml || rc=1
fi
python3 update_server.py stop update_server.port
# Last: in this Wine session no window can be made after a crash.
sh crash_report.sh wine crash_probe.exe >../crash.log 2>&1
echo "crash report: \$?" >>../crash.log
exit \$rc
JOB

start=$SECONDS
"$ROOT/scripts/guest_run.sh" "$job" "${BRISKLET_I686_TIMEOUT:-3000}"
rc=$?
echo "== a crashing program on i686"
grep "^crash report" "$job/crash.log" 2>/dev/null || echo "crash report: none"
grep -qx "crash report: 0" "$job/crash.log" 2>/dev/null || rc=1
echo "== brisklet-check.exe's commands on i686"
cat "$job/checker.log" 2>/dev/null || echo "checker: no report"
grep -qx "checker: 0" "$job/checker.log" 2>/dev/null || rc=1
python3 - $((SECONDS - start)) "$job/win_tests.xml" ${themed_filter:+"$job/win_tests_themed.xml"} <<'SUMMARY' || rc=1
import os, sys, xml.etree.ElementTree as ET
cases = []
for report in sys.argv[2:]:
    try:
        cases += list(ET.parse(report).getroot().iter("testcase"))
    except (OSError, ET.ParseError):
        print("i686 Windows tests: no report from %s (the program did not finish)" %
              os.path.basename(report).replace(".xml", ".exe"))
        sys.exit(1)
passed = failed = skipped = 0
for c in cases:
    if c.find("failure") is not None:
        failed += 1
    elif c.get("result") == "skipped" or c.find("skipped") is not None:
        skipped += 1
    else:
        passed += 1
print(f"i686 Windows tests: {passed} passed, {failed} failed, {skipped} skipped ({sys.argv[1]} s in the guest)")
sys.exit(1 if failed or passed == 0 else 0)
SUMMARY
exit $rc
