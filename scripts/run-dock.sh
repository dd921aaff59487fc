#!/usr/bin/env bash
# Runs the demo dock under Wine: usage run-dock.sh <build dir>.
# With a display the dock runs in the foreground until the user exits it. Without one
# it starts a virtual display, captures the bar into <build>/screenshots/dock.png and
# exits with the dock's status.
set -euo pipefail

build=$(cd "${1:?usage: run-dock.sh <build dir>}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh" "$build"
dock="$build/bin/dock.exe"

if [ -n "${DISPLAY:-}" ]; then
  wine_use_window_manager
  exec wine "$dock" --dry-run
fi

wine_start_display
trap wine_stop EXIT
wine_start_server

shots="$build/screenshots"
mkdir -p "$shots"
rm -f "$shots"/*.png "$shots/dock.log"
win() { local path=$1; echo "Z:${path//\//\\}"; }

# One run of the dock that writes the bar and its windows: run_shots <suffix> [options...]
run_shots() {
  local suffix=$1; shift
  local status=0
  # Wine's background server inherits the standard streams: they go to a file, never
  # into a pipe.
  wine "$dock" --dry-run "$@" \
    --screenshot "$(win "$shots/dock$suffix.png")" \
    --exit-window-screenshot "$(win "$shots/exit-window$suffix.png")" \
    --settings-screenshot "$(win "$shots/settings$suffix.png")" \
    --confirm-screenshot "$(win "$shots/confirm$suffix.png")" >>"$shots/dock.log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    echo "run-dock: the dock exited with status $status" >&2
    cat "$shots/dock.log" >&2
    exit "$status"
  fi
  for shot in dock exit-window settings confirm; do
    echo "Screenshot: $shots/$shot$suffix.png"
  done
}
run_shots ""
# What a translator sees: the German language module.
run_shots "-de" --language "$(win "$build/bin/lang/quiescor-de.dll")"

# The exit window of every sample skin, with a focused button the pointer has left and
# the tooltip over turn off.
for ini in "$build"/bin/skins/*/quiescorskin.ini; do
  [ -f "$ini" ] || continue
  skin=$(basename "$(dirname "$ini")")
  skin_png="$shots/exit-window-$skin.png"
  if ! wine "$dock" --dry-run --skin "$skin\\quiescorskin.ini" --screenshot "$(win "$shots/dock.png")" \
    --exit-window-screenshot "$(win "$skin_png")" >>"$shots/dock.log" 2>&1; then
    echo "run-dock: no exit window of skin '$skin'" >&2
    cat "$shots/dock.log" >&2
    exit 1
  fi
  echo "Screenshot: $skin_png"
done

# The built-in skin and every sample skin, as the settings dialog previews them, and
# the contact sheet of each: every button in every state beside the whole window.
preview() {
  local name=$1 skin=$2
  for kind in "" states; do
    local out="$shots/skin-$skin${kind:+-$kind}.png"
    if ! wine "$build/bin/skinpreview.exe" ${kind:+--$kind} "$name" "$(win "$out")" \
        >>"$shots/dock.log" 2>&1; then
      echo "run-dock: no ${kind:-preview} picture of skin '$skin'" >&2
      cat "$shots/dock.log" >&2
      exit 1
    fi
    echo "Skin ${kind:-preview}: $out"
  done
}
preview "" default
for ini in "$build"/bin/skins/*/quiescorskin.ini; do
  [ -f "$ini" ] || continue
  skin=$(basename "$(dirname "$ini")")
  preview "$skin\\quiescorskin.ini" "$skin"
done
