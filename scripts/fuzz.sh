#!/usr/bin/env bash
# Runs every fuzz target of a native build for the given number of seconds, two at a
# time, each from the seed corpus plus what earlier runs found.
set -uo pipefail
dir=$1/fuzz
seconds=${2:-30}
[ -d "$dir" ] || { echo "no fuzz targets in $1" >&2; exit 1; }
cd "$dir" || exit 1

run_one() {
  local target=$1 corpus="corpus_${1#fuzz_}"
  mkdir -p "$corpus"
  "./$target" "$corpus" seeds -max_total_time="$seconds" -rss_limit_mb=4096 \
    -print_final_stats=1 >"$target.log" 2>&1
}

failed=0
targets=()
for file in fuzz_*; do
  [ -f "$file" ] && [ -x "$file" ] && targets+=("$file")
done
for ((i = 0; i < ${#targets[@]}; i += 2)); do
  pids=()
  for target in "${targets[@]:i:2}"; do
    run_one "$target" &
    pids+=("$!:$target")
  done
  for entry in "${pids[@]}"; do
    if ! wait "${entry%%:*}"; then
      echo "fuzz: ${entry#*:} found a problem:" >&2
      tail -40 "${entry#*:}.log" >&2
      failed=1
    fi
  done
done
for target in "${targets[@]}"; do
  runs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+).*/\1/p' "$target.log" | tail -1)
  echo "fuzz: $target ran ${runs:-?} inputs in ${seconds}s"
done
exit $failed
