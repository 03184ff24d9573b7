// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// The camera data of any file, as the decoding helper reads it with Exiv2 for Picture Properties.
#include "imaging/metadata/exifproperties.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tovik::exifProperties(tovik::ByteView(data, size));
    return 0;
}
