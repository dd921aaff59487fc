#!/usr/bin/env bash
# Runs every test: the Windows programs under Wine on a private Xvfb display with one
# persistent wineserver, then the native ones, then a short fuzzing pass.
set -uo pipefail
build=$1
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh" "$build"

wine_start_display
trap wine_stop EXIT
wine_start_server

failed=0
summary=()
run_ctest() {
  local name=$1 dir=$2 jobs=$3 log="$build/$1-ctest.log"
  ctest --test-dir "$dir" --output-on-failure --timeout 300 -j "$jobs" >"$log" 2>&1
  local status=$?
  cat "$log"
  summary+=("$(grep -E 'tests passed, [0-9]+ tests? failed' "$log" | tail -1 | sed "s/^/$name: /")")
  [ $status -eq 0 ] || failed=1
}

# One at a time: windows of one program must not take the focus from another's.
run_ctest windows "$build/win" 1
run_ctest native "$build/native" 2

if compgen -G "$build/native/fuzz/fuzz_*" >/dev/null; then
  bash "$root/scripts/fuzz.sh" "$build/native" 20 || failed=1
fi

printf '%s\n' "${summary[@]}"
passed=0; fails=0
for line in "${summary[@]}"; do
  p=$(sed -nE 's/.*([0-9]+)% tests passed, ([0-9]+) tests? failed out of ([0-9]+).*/\3 \2/p' <<<"$line")
  [ -n "$p" ] || continue
  set -- $p
  passed=$((passed + $1 - $2)); fails=$((fails + $2))
done
echo "$passed passed, $fails failed"
exit $failed
