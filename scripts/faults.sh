#!/usr/bin/env bash
# Refuses each allocation and creation call the plug-in makes, in turn, within every
# user cycle (each case in a child process of its own) on a private display, and prints
# the table: function, cycle, cases, crashes, hangs, leaks, not recovered. The second
# argument caps the calls of one function failed in one cycle (16 unless told).
set -uo pipefail
build=$1
calls=${2:-16}
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh" "$build"

wine_start_display
trap wine_stop EXIT
wine_start_server

log="$build/faults.log"
started=$(date +%s)
(cd "$build/win/tests" &&
  QUIESCOR_FAULTS_ALL=$calls wine ./fault_tests.exe --gtest_color=no \
    --gtest_filter='FaultSweepTest.EveryFunctionRefusedInEveryCycle' >"$log" 2>&1 </dev/null)
status=$?
elapsed=$(($(date +%s) - started))

sed -n '/^function /,/^\[/p' "$log" | grep -v '^\['
if [ $status -ne 0 ]; then
  echo "faults: FAILED, see $log"
fi
echo "faults: whole sweep in ${elapsed} s"
exit $status
