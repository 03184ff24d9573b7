#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Copyright 2026 The Tovik Viewer developers
# Real photographs for the sheet benchmark, from Debian's wallpaper packages (downloaded, not
# installed): prints the folder that holds them.
set -euo pipefail
dir=${1:-/tmp/tovik-photos}
if [ ! -d "$dir/photos" ]; then
  mkdir -p "$dir/debs" "$dir/photos"
  (cd "$dir/debs" && apt-get download mate-backgrounds plasma-workspace-wallpapers >/dev/null)
  for deb in "$dir"/debs/*.deb; do dpkg -x "$deb" "$dir/x"; done
  i=0
  find "$dir/x/" -iname '*.jpg' | sort | while read -r f; do
    i=$((i + 1)); cp "$f" "$dir/photos/$(printf 'photo%03d' "$i")-$(basename "$f")"
  done
fi
echo "$dir/photos"
