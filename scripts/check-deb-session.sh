#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Copyright 2026 The Tovik Viewer developers
# Runs inside the fresh system of check-deb.sh: one desktop session of the user ana, driven by
# the keyboard as a person would, with checks on what the installed program leaves behind.
set -euo pipefail
export DISPLAY=:5
config=/home/ana/.config/tovik-viewer
cache=/home/ana/.cache/tovik-viewer
pictures=/home/ana/Pictures

Xvfb :5 -screen 0 1280x1024x24 -dpi 96 > /tmp/xvfb.log 2>&1 &
xvfb=$!
trap 'pkill -u ana || true; kill $xvfb || true' EXIT
sleep 2
su ana -c 'DISPLAY=:5 icewm-session > /tmp/icewm.log 2>&1 &'
sleep 3

fail() { echo "check-deb: $*" >&2; import -window root /tmp/step-failed.png; exit 1; }
shot() { sleep "$2"; import -window root "/tmp/step-$1.png"; }
keys() { xdotool key --delay 150 "$@"; }

echo "== started as the desktop menu starts it"
su ana -c 'DISPLAY=:5 gio launch /usr/share/applications/org.tovik_viewer.viewer.desktop' &
for _ in $(seq 50); do
  win=$(xdotool search --name '^Tovik Viewer$' 2> /dev/null | head -1) && [ -n "$win" ] && break
  sleep 0.2
done
[ -n "${win:-}" ] || fail "no main window"
shot 1-started 1
[ -f $config/viewer.ini ] || fail "no viewer.ini in $config"
[ "$(grep -c $'\r$' $config/viewer.ini)" -eq 11 ] || fail "viewer.ini is not eleven lines"

echo "== File, Open: four pictures"
xdotool windowactivate --sync "$win"
keys alt+f o
sleep 1.5
xdotool type --delay 10 "$pictures/"
keys Return
sleep 0.5
xdotool type --delay 10 '"photo.jpg" "rgb24.bmp" "drawing.wmf" "static.gif"'
keys Return
shot 2-opened 1.5

echo "== Tools, Generate Thumbnails, Go"
keys alt+t g
shot 3-options 1.5
keys alt+g
shot 4-sheet 4
[ -f $cache/tempnail.bmp ] || fail "no tempnail.bmp in $cache"

echo "== File, Save As: the sheet as JPEG"
keys alt+f a
sleep 1.5
xdotool type --delay 10 "$pictures/sheet.jpg"
keys Return
shot 5-quality 1.5
keys alt+o
sleep 1.5
identify "$pictures/sheet.jpg" | grep -q 'JPEG 640x' || fail "sheet.jpg is not a 640-pixel-wide JPEG"

echo "== Help, Contents: the installed help file"
keys alt+h Return
shot 6-help 1.5
help=$(xdotool search --name '^Tovik Viewer Help$' | head -1) || fail "no help window"
xdotool windowactivate --sync "$help" key alt+F4 # the window manager asks it to close
xdotool windowactivate --sync "$win"

echo "== File, Exit"
keys alt+f e
sleep 2
! pgrep -x tovik-viewer > /dev/null || fail "still running after Exit"
[ ! -e $cache/tempnail.bmp ] && [ ! -e "$cache/~temp.bmp" ] || fail "work files left behind"
[ "$(grep -c $'\r$' $config/viewer.ini)" -eq 11 ] || fail "viewer.ini is not eleven lines"
[ ! -e /usr/bin/viewer.ini ] || fail "wrote its settings beside the installed executable"
echo "== viewer.ini: $(tr -d '\r' < $config/viewer.ini | tr '\n' ' ')"

echo "== Open With: a picture handed over as a file manager does, zoomed and scrolled by the wheel"
su ana -c "DISPLAY=:5 gio launch /usr/share/applications/org.tovik_viewer.viewer.desktop $pictures/photo.jpg" &
win=
for _ in $(seq 50); do
  win=$(xdotool search --name '^Tovik Viewer$' 2> /dev/null | head -1) && [ -n "$win" ] && break
  sleep 0.2
done
[ -n "$win" ] || fail "no main window for Open With"
xdotool windowactivate --sync "$win"
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool mousemove --window "$win" $((WIDTH / 2)) $((HEIGHT / 2))
shot 7-open-with 1.5
xdotool keydown ctrl click 4 click 4 click 4 click 4 keyup ctrl # Ctrl+wheel: Zoom In four times
shot 8-zoomed 1
xdotool click 5 click 5 click 5 # the wheel scrolls the zoomed picture down
shot 9-scrolled 1
[ "$(md5sum < /tmp/step-8-zoomed.png)" != "$(md5sum < /tmp/step-9-scrolled.png)" ] ||
  fail "the wheel did not scroll the picture"
keys alt+f e
sleep 2
! pgrep -x tovik-viewer > /dev/null || fail "still running after Exit"
