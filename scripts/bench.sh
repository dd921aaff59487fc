#!/usr/bin/env bash
# Runs the image benchmarks of an optimised native build and Pillow's resize on the same
# sizes, then prints every figure and every ratio against its anchor.
set -euo pipefail
build=$1
root=$(cd "$(dirname "$0")/.." && pwd)
out=$build/bench-results
mkdir -p "$out"

"$build/bench/image_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_min_time=0.2 --benchmark_out="$out/image_bench.json" --benchmark_out_format=json \
  >"$out/image_bench.txt" 2>&1
# Debian's Pillow is visible only to the system interpreter.
/usr/bin/python3 "$root/bench/pillow_resize.py" >"$out/pillow.json"
/usr/bin/python3 "$root/bench/report.py" "$out/image_bench.json" "$out/pillow.json"
