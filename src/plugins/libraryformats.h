// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "plugins/rawplugin.h"

namespace tovik {

// The formats decoded whole by a library of their own (libheif, libjxl, LibRaw) are linked only
// into the programs that decode pictures: the decoding helper, the tests, the fuzz targets and the
// benchmarks (the tovik_library_formats objects, which register them as they start). The viewer
// leaves them out, so that those libraries are neither loaded at its start nor within reach of its
// process: there these find nothing.
struct LibraryFormats {
    const WholeFileFormat* heif = nullptr;
    const WholeFileFormat* jxl = nullptr;
    const WholeFileFormat* raw = nullptr;
    bool (*isCameraRaw)(const QByteArray& file) = nullptr;
    EmbeddedJpeg (*embeddedJpeg)(const QByteArray& file) = nullptr;
};

// Null where they are not linked.
const LibraryFormats* libraryFormats();
void registerLibraryFormats(const LibraryFormats& formats);

// The format of a reader's name ("heif", "avif", "jxl", "raw"), where linked; else null.
const WholeFileFormat* libraryFormat(const QByteArray& name);

} // namespace tovik
