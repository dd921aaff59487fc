#!/usr/bin/env bash
# Runs the demo dock under Wine: usage run-dock.sh <build dir> [<pictures folder>].
# With a display and no pictures folder the dock runs in the foreground until the user
# exits it. Otherwise it starts a virtual display, writes what a user would see into
# <build>/screenshots/ and exits with the dock's status; with a pictures folder it then
# copies the pictures that the README shows into it under stable names.
set -euo pipefail

build=$(cd "${1:?usage: run-dock.sh <build dir> [<pictures folder>]}" && pwd)
pictures=${2:-}
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh" "$build"

if [ -n "${DISPLAY:-}" ] && [ -z "$pictures" ]; then
  wine_use_window_manager
  exec wine "$build/bin/dock.exe" --dry-run
fi

# A white desktop: where a tooltip stands out of its window the pictures show white.
wine_start_display -wr
trap wine_stop EXIT
wine_start_server

shots="$build/screenshots"
mkdir -p "$shots"
rm -f "$shots"/*.png "$shots/dock.log"
win() { local path=$1; echo "Z:${path//\//\\}"; }

# The dock runs from a fresh copy of the build, so that settings saved by an earlier
# interactive run never show in the pictures.
stage="$shots/dock"
rm -rf "$stage"
mkdir -p "$stage"
cp "$build/bin/dock.exe" "$build/bin/quiescor.dll" "$stage/"
cp -r "$build/bin/skins" "$stage/"
dock="$stage/dock.exe"

fail() {
  echo "run-dock: $1" >&2
  cat "$shots/dock.log" >&2
  exit 1
}

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
    --confirm-screenshot "$(win "$shots/confirm$suffix.png")" \
    --about-screenshot "$(win "$shots/about$suffix.png")" >>"$shots/dock.log" 2>&1 || status=$?
  [ "$status" -eq 0 ] || fail "the dock exited with status $status"
  for shot in dock exit-window settings confirm about; do
    echo "Screenshot: $shots/$shot$suffix.png"
  done
}
run_shots ""
# What a translator sees: the German language module.
run_shots "-de" --language "$(win "$build/bin/lang/quiescor-de.dll")"
# A translation in another script, on an English system.
LC_ALL=en_US.UTF-8 run_shots "-ru" --language "$(win "$build/bin/lang/quiescor-ru.dll")"
# What a user of a screen at 144 DPI sees.
wine_set_dpi 144
run_shots "-144dpi"
wine_set_dpi 96

# The exit window alone, with a focused button the pointer has left and the tooltip over
# turn off: exit_window_shot <suffix> [options...]
exit_window_shot() {
  local out="$shots/exit-window-$1.png"; shift
  wine "$dock" --dry-run "$@" --screenshot "$(win "$shots/dock.png")" \
    --exit-window-screenshot "$(win "$out")" >>"$shots/dock.log" 2>&1 ||
    fail "no exit window for $out"
  echo "Screenshot: $out"
}
# The built-in skin as a user of the system's high-contrast mode sees it.
exit_window_shot high-contrast --high-contrast
# Where hibernation is turned off (the greyed button's tooltip says so), and where the
# administrator removed the shut-down commands.
exit_window_shot no-hibernate --no-hibernate
exit_window_shot NoClose --policy NoClose
# Every sample skin.
for ini in "$stage"/skins/*/quiescorskin.ini; do
  [ -f "$ini" ] || continue
  skin=$(basename "$(dirname "$ini")")
  exit_window_shot "$skin" --skin "$skin\\quiescorskin.ini"
done

# A skin of 4000 x 3000 pixels on this screen of 1024 x 768.
large="$stage/large-skin"
/usr/bin/python3 "$root/scripts/make-large-skin.py" "$stage/skins/Glass" "$large/skins/Large" ||
  fail "no large skin"
cp "$dock" "$stage/quiescor.dll" "$large/"
dock="$large/dock.exe" exit_window_shot 4000x3000 --skin "Large\\quiescorskin.ini"

# The built-in skin and every sample skin, as the settings dialog previews them, and
# the contact sheet of each: every button in every state beside the whole window.
preview() {
  local name=$1 skin=$2
  for kind in "" states; do
    local out="$shots/skin-$skin${kind:+-$kind}.png"
    wine "$build/bin/skinpreview.exe" ${kind:+--$kind} "$name" "$(win "$out")" \
      >>"$shots/dock.log" 2>&1 || fail "no ${kind:-preview} picture of skin '$skin'"
    echo "Skin ${kind:-preview}: $out"
  done
}
preview "" default
for ini in "$stage"/skins/*/quiescorskin.ini; do
  [ -f "$ini" ] || continue
  skin=$(basename "$(dirname "$ini")")
  preview "$(win "$build/bin/skins/$skin")" "$skin"
  # As a screen of 192 DPI shows it, with the skin's @2x pictures.
  wine "$build/bin/skinpreview.exe" --dpi 192 "$(win "$build/bin/skins/$skin")" \
    "$(win "$shots/skin-$skin-192dpi.png")" >>"$shots/dock.log" 2>&1 ||
    fail "no 192 DPI preview of skin '$skin'"
done

[ -n "$pictures" ] || exit 0

# The README's pictures: stable lower-case names, stored as small as they go without
# losing a pixel.
mkdir -p "$pictures"
publish() {
  local from=$1 to=$2
  [ -f "$shots/$from" ] || fail "no $from to publish"
  /usr/bin/python3 "$root/scripts/shrink-png.py" "$shots/$from" "$pictures/$to"
  echo "Picture: $pictures/$to"
}
publish dock.png dock.png
publish exit-window.png exit-window.png
publish exit-window-Graphite.png exit-window-graphite.png
publish exit-window-Glass.png exit-window-glass.png
publish confirm.png confirm.png
publish settings.png settings.png
publish about.png about.png
publish exit-window-de.png exit-window-de.png
publish exit-window-ru.png exit-window-ru.png
publish confirm-ru.png confirm-ru.png
publish settings-ru.png settings-ru.png
publish exit-window-no-hibernate.png exit-window-no-hibernate.png
publish exit-window-NoClose.png exit-window-noclose.png
