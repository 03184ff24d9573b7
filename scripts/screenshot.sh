#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Copyright 2026 The Tovik Viewer developers
# Remakes docs/screenshot.png, the README's and the AppStream file's screenshot, from the program
# as it is: a real photo (from Debian's wallpaper packages) opened from the command line under
# Xvfb and IceWM, zoomed out to 0.75 with Ctrl+wheel, the window captured with its frame.
set -euo pipefail
cd "$(dirname "$0")/.."
INSTALL_GROUPS=--test scripts/build.sh
command -v icewm > /dev/null || apt-get install -y -qq --no-install-recommends icewm > /dev/null
photos=$(bench/get-photos.sh)
photo=$(ls "$photos"/*GreenMeadow*.jpg | head -n 1)
# A folder of its own, so that the shot starts from no settings and leaves none in build/.
run=$(mktemp -d)
trap 'rm -rf "$run"' EXIT
cp build/tovik-viewer build/tovik-metafile build/viewer.html "$run/"
mkdir "$run/Pictures"
cp "$photo" "$run/Pictures/meadow.jpg"
# viewer.ini: a 960 x 700 window at (40, 40), in twips, the other settings as at a first start.
printf '%s\r\n' 5 0 16777215 640 0.15 80 600 600 14400 10500 0 > "$run/viewer.ini"
xvfb-run -a -s "-screen 0 1100x800x24 -dpi 96" bash -euo pipefail -c '
  icewm > /dev/null 2>&1 &
  sleep 1
  "$1/tovik-viewer" "$1/Pictures/meadow.jpg" &
  viewer=$!
  win=$(xdotool search --sync --onlyvisible --name "^Tovik Viewer" | head -n 1)
  sleep 1
  xdotool mousemove --window "$win" 400 300 keydown ctrl click 5 keyup ctrl
  sleep 1
  import -frame -window "$win" "$2"
  kill $viewer' _ "$run" "$PWD/docs/screenshot.png"
echo "docs/screenshot.png: $(identify -format "%wx%h" docs/screenshot.png)"
