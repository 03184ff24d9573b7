#!/usr/bin/env bash
# Installs what is missing, builds into build/ and starts the viewer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
exec build/tovik-viewer
