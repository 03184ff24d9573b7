#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Copyright 2026 The Tovik Viewer developers
# Shared by run.sh, test.sh and fuzz.sh: packages, configure once, build.
# BUILD_DIR, BUILD_TYPE, CMAKE_EXTRA, BUILD_TARGETS (default: all) and INSTALL_GROUPS (--test,
# --fuzz: the packages beyond building and running) may be set by the caller.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh ${INSTALL_GROUPS:-}
BUILD_DIR=${BUILD_DIR:-build}
if [ ! -f "$BUILD_DIR/Makefile" ]; then
  rm -rf "$BUILD_DIR/CMakeCache.txt" "$BUILD_DIR/CMakeFiles" # a configure that did not finish
  cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} ${CMAKE_EXTRA:-}
fi
cmake --build "$BUILD_DIR" -j"$(nproc)" ${BUILD_TARGETS:+--target $BUILD_TARGETS}
