#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Copyright 2026 The Tovik Viewer developers
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for a bounded time,
# seeded from the sample pictures and from generated files of the hostile classes the budgets
# stop. FUZZ_SECONDS sets each target's time (default 60). A crash, an input that needs over
# 4 GB or takes over 2 s leaves that input in build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
INSTALL_GROUPS=--fuzz CC=clang CXX=clang++ BUILD_DIR=build-fuzz CMAKE_EXTRA=-DTOVIK_FUZZ=ON \
  BUILD_TARGETS="fuzz_settings fuzz_wmf fuzz_emf fuzz_nviewlib fuzz_picture fuzz_budget fuzz_formats fuzz_metadata fuzz_jpegscan fuzz_tiffpieces fuzz_pngscan fuzz_seeds tovik-metafile" \
  scripts/build.sh
seconds=${FUZZ_SECONDS:-60}
samples=tests/data
mkdir -p build-fuzz/findings
export ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen
export TOVIK_METAFILE_HELPER=$PWD/build-fuzz/tovik-metafile
status=0
mkdir -p build-fuzz/corpus/picture build-fuzz/corpus/wmf build-fuzz/corpus/budget build-fuzz/corpus/formats build-fuzz/corpus/metadata
build-fuzz/fuzz/fuzz_seeds build-fuzz/corpus/picture build-fuzz/corpus/wmf
cp build-fuzz/corpus/picture/* build-fuzz/corpus/budget/
cp build-fuzz/corpus/picture/* build-fuzz/corpus/formats/
cp build-fuzz/corpus/picture/* build-fuzz/corpus/metadata/
for target in settings wmf emf nviewlib picture budget formats metadata jpegscan tiffpieces pngscan; do
  corpus=build-fuzz/corpus/$target
  mkdir -p "$corpus"
  case $target in
    settings) printf '5\r\n0\r\n16777215\r\n640\r\n0.15\r\n80\r\n0\r\n0\r\n6000\r\n4500\r\n0\r\n' > "$corpus/seed" ;;
    wmf) cp "$samples"/*.wmf "$corpus"/ ;;
    emf) cp "$samples"/*.emf "$corpus"/ ;;
    nviewlib) cp "$samples"/*.bmp "$corpus"/ ;;
    jpegscan) cp "$samples"/*.jpg "$corpus"/ ;;
    tiffpieces) cp "$samples"/*.dng build-fuzz/corpus/picture/*.tif "$corpus"/ ;;  # TIFFs, each
    pngscan) cp build-fuzz/corpus/picture/*.png "$corpus"/ ;;
    picture | budget | formats | metadata) find "$samples" -maxdepth 1 -type f ! -name '*.md' ! -name '*.py' -exec cp {} "$corpus"/ \; ;;
  esac
  echo "== fuzz_$target for ${seconds}s"
  build-fuzz/fuzz/fuzz_$target "$corpus" -max_total_time="$seconds" -timeout=2 -rss_limit_mb=4096 \
    -artifact_prefix=build-fuzz/findings/$target- -print_final_stats=1 2>&1 | tail -n 12 || status=1
done
exit $status
