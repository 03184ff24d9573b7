#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Copyright 2026 The Tovik Viewer developers
# The one list of Debian packages the viewer needs to build, run, test and be looked at.
# Installs only what is missing, so a second run costs a dpkg query.
set -euo pipefail

# What building and running need; --test adds what testing and looking at the program need,
# --fuzz what fuzzing needs.
PACKAGES=(
  # build
  cmake make g++ pkg-config qt6-base-dev qt6-svg-dev libwmf-dev libemf2svg-dev libturbojpeg0-dev
  # what libturbojpeg0-dev's CMake package and libwmf's pkg-config file name without depending
  # on it: libjpeg.a, -lexpat, -lpng
  libjpeg62-turbo-dev libexpat1-dev libpng-dev
  # SVGZ is inflated by the helper itself, within a limit
  zlib1g-dev
  # HEIC, HEIF and AVIF (libheif, with libde265 and dav1d), JPEG XL, colour profiles, and the
  # screen's profile on the X11 root window
  libheif-dev libjxl-dev liblcms2-dev libxcb1-dev
  # the decoding helper's sandbox, and the camera data, camera RAW files and TIFFs too large to
  # decode whole it reads there
  libseccomp-dev libexiv2-dev libraw-dev libtiff-dev
  # run: metric-compatible "Arial" and "Times New Roman", and libwmf's text fonts; WebP, TIFF
  # and other formats through "All Files"; Qt's own dialogs in the user's language
  fonts-liberation fonts-urw-base35 qt6-image-formats-plugins qt6-translations-l10n
)
for group in "$@"; do
  case $group in
    # run and look at the program; check the layers; jpegtran's turns, the reference for ours; a
    # private session bus for the desktop's services
    --test) PACKAGES+=(xvfb xauth xdotool imagemagick x11-apps python3 libjpeg-turbo-progs dbus-daemon dbus-bin) ;;
    --fuzz) PACKAGES+=(clang libclang-rt-14-dev) ;;                 # scripts/fuzz.sh
    *) echo "install-deps.sh: unknown group $group" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
