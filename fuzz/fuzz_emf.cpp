// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// EMF bytes through libemf2svg and Qt SVG, as the metafile helper draws them.
#include "fuzzsupport.h"
#include "plugins/metafile/metafileimage.h"
#include "plugins/metafile/metafilerender.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!tovik::metafile::looksLikeEmf(data, size))
        return 0;       // WMF input is fuzz_wmf's
    inputFile(data, 0); // the application, for fonts
    tovik::renderMetafile(
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
    return 0;
}
