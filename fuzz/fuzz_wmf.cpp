// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// WMF bytes through libwmf.
#include "plugins/metafile/metafilerender.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<unsigned char> png;
    tovik::metafile::Drawn drawn;
    tovik::metafile::renderWmf(data, size, png, drawn);
    return 0;
}
