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
png="$shots/dock.png"
mkdir -p "$shots"
rm -f "$png"
# Wine's background server inherits the standard streams: they go to a file, never
# into a pipe.
status=0
exit_png="$shots/exit-window.png"
wine "$dock" --dry-run --screenshot "Z:${png//\//\\}" \
  --exit-window-screenshot "Z:${exit_png//\//\\}" >"$shots/dock.log" 2>&1 || status=$?
if [ "$status" -ne 0 ]; then
  echo "run-dock: the dock exited with status $status" >&2
  cat "$shots/dock.log" >&2
  exit "$status"
fi
echo "Screenshot of the dock: $png"
echo "Screenshot of the exit window: $exit_png"

# The exit window of every sample skin, likewise.
for ini in "$build"/bin/skins/*/quiescorskin.ini; do
  [ -f "$ini" ] || continue
  skin=$(basename "$(dirname "$ini")")
  skin_png="$shots/exit-window-$skin.png"
  if ! wine "$dock" --dry-run --skin "$skin\\quiescorskin.ini" --screenshot "Z:${png//\//\\}" \
    --exit-window-screenshot "Z:${skin_png//\//\\}" >>"$shots/dock.log" 2>&1; then
    echo "run-dock: no exit window of skin '$skin'" >&2
    cat "$shots/dock.log" >&2
    exit 1
  fi
  echo "Screenshot of the exit window with $skin: $skin_png"
done

# The built-in skin and every sample skin, as the settings dialog previews them.
preview() {
  local name=$1 out="$shots/skin-$2.png"
  if ! wine "$build/bin/skinpreview.exe" "$name" "Z:${out//\//\\}" >>"$shots/dock.log" 2>&1; then
    echo "run-dock: no preview of skin '$2'" >&2
    cat "$shots/dock.log" >&2
    exit 1
  fi
  echo "Skin preview: $out"
}
preview "" default
for ini in "$build"/bin/skins/*/quiescorskin.ini; do
  [ -f "$ini" ] || continue
  skin=$(basename "$(dirname "$ini")")
  preview "$skin\\quiescorskin.ini" "$skin"
done
