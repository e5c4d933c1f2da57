#!/usr/bin/env bash
# CTest's emulator for the Windows build (tools/windows-test.sh sets the Wine environment): runs one test
# executable under Wine with Qt Test's log written to a file as well, and shows that file afterwards, so
# that the FAIL lines reach CTest's output even when the console output of a Wine program is lost.
# A test that outlives SW40917_WINE_TEST_TIMEOUT seconds (default 900) is stopped here, before CTest's
# own time-out, so that its log up to the hang is still shown.
set -uo pipefail
exe=$1
shift
case $(basename "$exe") in
  tst_*) ;;
  *) exec wine "$exe" "$@" ;;
esac
log=$(mktemp --suffix=.txt)
trap 'rm -f "$log"' EXIT
# Drive Z: is the Unix root.
winlog="Z:${log//\//\\}"
# Qt Test's own watchdog names the test function that hangs (milliseconds per function).
export QTEST_FUNCTION_TIMEOUT=${QTEST_FUNCTION_TIMEOUT:-600000}
timeout -k 10 "${SW40917_WINE_TEST_TIMEOUT:-900}" wine "$exe" "$@" -o "$winlog,txt"
status=$?
tr -d '\r' < "$log"
case $status in
  124|137) echo "windows-run-test: $(basename "$exe") stopped after ${SW40917_WINE_TEST_TIMEOUT:-900} s: it hung" ;;
esac
exit $status
