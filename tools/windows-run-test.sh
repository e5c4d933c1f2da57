#!/usr/bin/env bash
# CTest's emulator for the Windows build (tools/windows-test.sh sets the Wine environment): runs one test
# executable under Wine with Qt Test's log written to a file as well, and shows that file afterwards, so
# that the FAIL lines reach CTest's output even when the console output of a Wine program is lost.
# A test that outlives SW40917_WINE_TEST_TIMEOUT seconds (default 900) is stopped here, before CTest's
# own time-out, so that its log up to the hang is still shown.
# The program's own output goes to a file, never straight into CTest's pipe: the Wine processes that the first
# program of a prefix starts (wineserver, services.exe, explorer.exe for the first window) inherit its output
# and outlive it, and CTest would wait on that pipe until its time-out.
set -uo pipefail
exe=$1
shift
out=$(mktemp)
log=$(mktemp --suffix=.txt)
trap 'rm -f "$out" "$log"' EXIT
case $(basename "$exe") in
  tst_*) ;;
  *)
    wine "$exe" "$@" < /dev/null > "$out" 2>&1
    status=$?
    cat "$out"
    exit $status
    ;;
esac
# Drive Z: is the Unix root.
winlog="Z:${log//\//\\}"
# Qt Test's own watchdog names the test function that hangs (milliseconds per function).
export QTEST_FUNCTION_TIMEOUT=${QTEST_FUNCTION_TIMEOUT:-600000}
timeout -k 10 "${SW40917_WINE_TEST_TIMEOUT:-900}" wine "$exe" "$@" -o "$winlog,txt" < /dev/null > "$out" 2>&1
status=$?
# Each skipped row with its reason, for the run's summary.
[ -n "${SW40917_WINE_SKIPS:-}" ] && tr -d '\r' < "$log" | grep -a "^SKIP" | sed 's/^SKIP *: *//' >> "$SW40917_WINE_SKIPS"
# What the program wrote besides Qt Test's log (Wine's own complaints, a crash), then the log.
tr -d '\r' < "$out"
tr -d '\r' < "$log"
case $status in
  124|137) echo "windows-run-test: $(basename "$exe") stopped after ${SW40917_WINE_TEST_TIMEOUT:-900} s: it hung" ;;
esac
exit $status
