#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Copyright 2026 The Tovik Viewer developers
# The benchmarks' own set-up: the peers they compare with (feh; jpegtran for lossless turns;
# LibRaw's dcraw_emu for developing RAWs) and
# real photographs for the sheet benchmark. Prints the photographs' folder. Run as root on Debian 12.
set -euo pipefail
command -v feh >/dev/null || apt-get install -y --no-install-recommends feh >/dev/null
command -v dcraw_emu >/dev/null ||
  apt-get install -y --no-install-recommends libraw-bin >/dev/null
command -v jpegtran >/dev/null ||
  apt-get install -y --no-install-recommends libjpeg-turbo-progs >/dev/null
exec "$(dirname "$0")/get-photos.sh" "$@"
