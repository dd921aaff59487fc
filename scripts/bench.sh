#!/usr/bin/env bash
# Runs the image benchmarks of an optimised native build and Pillow's resize on the same
# sizes, then prints every figure and every ratio against its anchor. Given the build
# folder too, it then runs every Windows benchmark of <build>/win/bench under Wine.
# Usage: bench.sh <native bench build> [<build>]
set -euo pipefail
build=$1
windows_build=${2:-}
root=$(cd "$(dirname "$0")/.." && pwd)
out=$build/bench-results
mkdir -p "$out"

"$build/bench/image_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_min_time=0.2 --benchmark_out="$out/image_bench.json" --benchmark_out_format=json \
  >"$out/image_bench.txt" 2>&1
# Debian's Pillow is visible only to the system interpreter.
/usr/bin/python3 "$root/bench/pillow_resize.py" >"$out/pillow.json"
/usr/bin/python3 "$root/bench/report.py" "$out/image_bench.json" "$out/pillow.json"

# The Windows benchmarks draw with GDI, so they run under Wine on a private display.
if [ -n "$windows_build" ] && compgen -G "$windows_build/win/bench/*_bench.exe" >/dev/null; then
  # memory_bench's own copy of the plug-in, beside a skin of 4000 x 3000 pixels.
  memory="$windows_build/win/bench/memory"
  mkdir -p "$memory"
  cp "$windows_build/bin/quiescor.dll" "$memory/"
  [ -f "$memory/skins/Large/quiescorskin.ini" ] ||
    /usr/bin/python3 "$root/scripts/make-large-skin.py" "$windows_build/bin/skins/Glass" \
      "$memory/skins/Large"
  source "$root/scripts/wine-env.sh" "$windows_build"
  wine_start_display
  trap wine_stop EXIT
  wine_start_server
  for program in "$windows_build"/win/bench/*_bench.exe; do
    log="$out/$(basename "$program" .exe).txt"
    # Standard streams go to a file, never a pipe: Wine's services would hold it open.
    wine "$program" >"$log" 2>&1 </dev/null || { cat "$log"; exit 1; }
    cat "$log"
  done
fi
