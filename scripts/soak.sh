#!/usr/bin/env bash
# Runs every user cycle of the plug-in many times (1,000 unless told) under the handle
# ledger on a private display, and prints the table of what each cycle made, released
# and left, with its private memory after the warm-up and at the end.
set -uo pipefail
build=$1
cycles=${2:-1000}
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh" "$build"

wine_start_display
trap wine_stop EXIT
wine_start_server

log="$build/soak.log"
started=$(date +%s)
(cd "$build/win/tests" &&
  QUIESCOR_SOAK_CYCLES=$cycles wine ./ledger_tests.exe --gtest_color=no >"$log" 2>&1 </dev/null)
status=$?
elapsed=$(($(date +%s) - started))

sed -n '/^cycle /,/^\[/p' "$log" | grep -v '^\['
grep -E '^leaked one' "$log"
if [ $status -ne 0 ]; then
  grep -E -A12 'Failure$' "$log" | head -80
  echo "soak: FAILED, see $log"
fi
echo "soak: $cycles cycles of each in ${elapsed} s"
exit $status
