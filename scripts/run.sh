#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Copyright 2026 The Tovik Viewer developers
# Installs what is missing, builds into build/ and starts the viewer with the arguments given
# (pictures, or the folder of pictures, to open).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
exec build/tovik-viewer "$@"
