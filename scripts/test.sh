#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Copyright 2026 The Tovik Viewer developers
# Installs what is missing, builds and runs the whole test suite through CTest.
#   scripts/test.sh              the normal build, in build/
#   scripts/test.sh --sanitize   AddressSanitizer and UndefinedBehaviorSanitizer, in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--sanitize" ]; then
  export BUILD_DIR=build-asan BUILD_TYPE=Debug
  export CMAKE_EXTRA="-DTOVIK_SANITIZE=ON"
  # LeakSanitizer stops the world with ptrace, which this sandbox does not allow: it hangs.
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
BUILD_DIR=${BUILD_DIR:-build}
INSTALL_GROUPS=--test scripts/build.sh
ctest --test-dir "$BUILD_DIR" --output-on-failure
