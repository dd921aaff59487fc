#!/usr/bin/env bash
# Fuzz targets of a native build, and those of a Windows build under Wine.
#   fuzz.sh <native build> [seconds] [windows build]
#                               runs every native target for that long, two at a time,
#                               from its seeds, its kept inputs and what earlier runs
#                               found; with a Windows build, its targets too, one after
#                               the other under Wine beside the native ones, from a
#                               random seed
#   fuzz.sh replay <binary>     runs one native target once over its kept inputs
# Inputs that a target failed on are kept in fuzz/regressions/<target>/: a finding is
# written there, to be committed under a name that says what it is.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
regressions=$root/fuzz/regressions

# No single allocation may exceed the image library's cap of 256 MiB.
common_options=(-malloc_limit_mb=256)

# Markup must take linear time: a second is ample for 64 KB.
target_options() {
  case $1 in
    fuzz_markup | fuzz_layout) echo "-max_len=65536 -timeout=1 -dict=$root/fuzz/fuzz_markup.dict" ;;
  esac
}

seed_dir() {
  case $1 in
    fuzz_markup | fuzz_layout) echo seeds_markup ;;
    *) echo seeds ;;
  esac
}

# A target's own kept inputs; the detection over all decoders takes theirs as well, and
# the layout those of the markup reader.
kept_dirs() {
  local names=("$1") name
  [ "$1" = fuzz_decode ] && names+=(fuzz_png fuzz_bmp fuzz_ico)
  [ "$1" = fuzz_layout ] && names+=(fuzz_markup)
  for name in "${names[@]}"; do
    [ -d "$regressions/$name" ] && echo "$regressions/$name"
  done
}

replay() {
  local binary=$1 target dirs dir file files=()
  target=$(basename "$binary")
  mapfile -t dirs < <(kept_dirs "$target")
  for dir in "${dirs[@]}"; do
    for file in "$dir"/*; do
      [ -f "$file" ] && files+=("$file")
    done
  done
  if [ ${#files[@]} -eq 0 ]; then
    echo "$target: no kept inputs"
    return 0
  fi
  # shellcheck disable=SC2046
  "$binary" "${common_options[@]}" $(target_options "$target") "${files[@]}"
}

run_one() {
  local target=$1 corpus="corpus_${1#fuzz_}" kept
  mkdir -p "$corpus" "$regressions/$target"
  mapfile -t kept < <(kept_dirs "$target")
  # shellcheck disable=SC2046
  "./$target" "$corpus" "$(seed_dir "$target")" "${kept[@]}" "${common_options[@]}" \
    $(target_options "$target") -artifact_prefix="$regressions/$target/" \
    -max_total_time="$seconds" -rss_limit_mb=4096 -print_final_stats=1 >"$target.log" 2>&1
}

# A path as a Windows program under Wine sees it.
windows_path() {
  local path
  path=$(realpath "$1")
  echo "Z:${path//\//\\}"
}

# The Windows targets one after the other, on a display and wineserver of their own; a
# finding ends the target that made it, and the rest still run.
run_wine_targets() {
  local build=$1 target kept failed=0
  (
    source "$root/scripts/wine-env.sh" "$build"
    wine_start_display || exit 1
    trap wine_stop EXIT
    wine_start_server
    cd "$build/win/fuzz" || exit 1
    for program in fuzz_*.exe; do
      target=${program%.exe}
      mkdir -p "$regressions/$target"
      kept=$(windows_path "$regressions/$target")
      if ! wine "./$program" --kept "$kept" --findings "$kept" --seconds "$seconds" \
        --seed random >"$target.log" 2>&1 </dev/null; then
        echo "fuzz: $target found a problem, kept in $regressions/$target/:" >&2
        tail -5 "$target.log" >&2
        failed=1
      fi
    done
    exit $failed
  )
}

if [ "${1:-}" = replay ]; then
  replay "$2"
  exit
fi

dir=$1/fuzz
seconds=${2:-30}
windows=${3:+$(cd "$3" && pwd)}
[ -d "$dir" ] || { echo "no fuzz targets in $1" >&2; exit 1; }
if [ -n "$windows" ]; then
  run_wine_targets "$(dirname "$windows")" &
  wine_pid=$!
fi
cd "$dir" || exit 1

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
      echo "fuzz: ${entry#*:} found a problem, kept in $regressions/${entry#*:}/:" >&2
      tail -40 "${entry#*:}.log" >&2
      failed=1
    fi
  done
done
for target in "${targets[@]}"; do
  runs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+).*/\1/p' "$target.log" | tail -1)
  echo "fuzz: $target ran ${runs:-?} inputs in ${seconds}s"
done
if [ -n "$windows" ]; then
  wait "$wine_pid" || failed=1
  for log in "$windows"/fuzz/fuzz_*.log; do
    [ -f "$log" ] || continue
    echo "fuzz: $(grep -E '^fuzz_[a-z]+: ' "$log" | tail -1)"
  done
fi
exit $failed
