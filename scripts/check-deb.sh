#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Copyright 2026 The Tovik Viewer developers
# Builds the .deb and tries it on a fresh Debian 12: a minimal system made with debootstrap in
# build-deb-check/, the package installed with apt (its own dependencies only), then a desktop
# user starts it from its menu entry under Xvfb and IceWM, opens four pictures, builds a sheet,
# saves it as JPEG and exits; then opens a picture as a file manager's Open With does, zooms it
# with Ctrl+wheel and scrolls it with the wheel; then runs it natively on a headless Weston
# (check-deb-wayland.sh), validates its AppStream metadata and has lintian find no error or
# warning, its report left in build-deb-check/. Needs root (debootstrap, chroot) and Debian's
# package archive.
# Screenshots of each step are left in build-deb-check/.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$(id -u)" -eq 0 ] || { echo "check-deb.sh needs root: debootstrap and chroot" >&2; exit 2; }

scripts/build.sh
(cd build && rm -f tovik-viewer_*.deb && cpack > /dev/null)
deb=$(ls build/tovik-viewer_*_amd64.deb)

work=$PWD/build-deb-check
root=$work/root
command -v debootstrap > /dev/null || apt-get install -y -qq debootstrap
if [ ! -d $work/base ]; then
  debootstrap --variant=minbase bookworm $work/base.partial http://deb.debian.org/debian
  mv $work/base.partial $work/base
fi

mounted=()
cleanup() {
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" || true; done
}
trap cleanup EXIT
rm -rf $root
cp -a $work/base $root
for d in proc sys dev dev/pts; do
  mount --bind /$d $root/$d
  mounted+=("$root/$d")
done
cp /etc/resolv.conf $root/etc/
cp "$deb" $root/tmp/tovik-viewer.deb
mkdir -p $root/home/ana/Pictures
cp tests/data/{photo.jpg,rgb24.bmp,drawing.wmf,static.gif} $root/home/ana/Pictures/
cp scripts/check-deb-session.sh $root/tmp/session.sh
cp scripts/check-deb-wayland.sh $root/tmp/wayland.sh

chroot $root /bin/bash -euo pipefail -c '
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  echo "== the package and what it depends on, nothing recommended"
  apt-get install -y -qq --no-install-recommends /tmp/tovik-viewer.deb > /tmp/install.log
  if ldd /usr/bin/tovik-viewer | grep "not found"; then exit 1; fi
  echo "== a desktop to try it in"
  apt-get install -y -qq --no-install-recommends xvfb xauth xdotool x11-utils imagemagick \
    icewm libglib2.0-bin desktop-file-utils procps > /tmp/desktop.log
  desktop-file-validate /usr/share/applications/org.tovik_viewer.viewer.desktop
  useradd -m ana 2> /dev/null || true
  chown -R ana:ana /home/ana
  su ana -c icewm-menu-fdo | grep -F "prog \"Tovik Viewer\" tovik-viewer tovik-viewer"
  /tmp/session.sh
  echo "== on a Wayland desktop: headless Weston and what the package recommends"
  apt-get install -y -qq --no-install-recommends weston qt6-wayland > /tmp/wayland-install.log
  /tmp/wayland.sh
  echo "== AppStream metadata"
  apt-get install -y -qq --no-install-recommends appstream > /tmp/appstream-install.log
  appstreamcli validate --pedantic --no-net \
    /usr/share/metainfo/org.tovik_viewer.viewer.metainfo.xml
  echo "== lintian on the package: no errors, no warnings"
  apt-get install -y -qq --no-install-recommends lintian > /tmp/lintian-install.log
  lintian -I --pedantic --tag-display-limit 0 /tmp/tovik-viewer.deb | tee /tmp/lintian.txt || true
  ! grep -E "^[EW]: " /tmp/lintian.txt'
cp $root/tmp/step-*.png $root/tmp/lintian.txt $work/
echo "check-deb: the package installs, starts from its menu entry, saves its settings and builds a sheet"
