#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Copyright 2026 The Tovik Viewer developers
# Runs inside the fresh system of check-deb.sh, after the X11 session: the installed program on a
# headless Weston, with no X display at all, as on a Wayland desktop (qt6-wayland, which the
# package recommends, installed). It must start natively, show a picture named on its command
# line, and end cleanly when the session tells it to (SIGTERM), its settings written. Its window
# position from viewer.ini cannot be applied on Wayland: nothing may complain of it.
set -euo pipefail
log=/tmp/wayland.log
su ana -s /bin/bash -c '
  set -euo pipefail
  export XDG_RUNTIME_DIR=/tmp/ana-runtime
  mkdir -p -m 0700 $XDG_RUNTIME_DIR
  weston --backend=headless-backend.so --socket=wayland-check --idle-time=0 \
    > /tmp/weston.log 2>&1 &
  weston=$!
  trap "kill $weston || true" EXIT
  for _ in $(seq 50); do [ -S $XDG_RUNTIME_DIR/wayland-check ] && break; sleep 0.2; done
  env -u DISPLAY WAYLAND_DISPLAY=wayland-check tovik-viewer ~/Pictures/photo.jpg \
    > /tmp/wayland.log 2>&1 &
  viewer=$!
  sleep 4
  kill -0 $viewer || { echo "check-deb: the viewer ended on Wayland" >&2; exit 1; }
  grep -q libqwayland /proc/$viewer/maps || { echo "check-deb: not the Wayland platform" >&2; exit 1; }
  rm -f ~/.config/tovik-viewer/viewer.ini
  kill -TERM $viewer
  wait $viewer || { echo "check-deb: no clean end on SIGTERM" >&2; exit 1; }
  [ "$(grep -c $'"'"'\r$'"'"' ~/.config/tovik-viewer/viewer.ini)" -eq 11 ] ||
    { echo "check-deb: viewer.ini not written at the end" >&2; exit 1; }'
if grep -v -e '^QStandardPaths' "$log" | grep -q .; then
  echo "check-deb: the viewer complained on Wayland:" >&2
  cat "$log" >&2
  exit 1
fi
echo "check-deb: native on Wayland, showed a picture and ended cleanly"
