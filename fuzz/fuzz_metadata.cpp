// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// The camera data of any file, as the decoding helper reads it with Exiv2 for Picture Properties;
// and the text of a shared thumbnail, which the viewer itself reads to know what it stands for.
#include "imaging/metadata/exifproperties.h"
#include "imaging/thumbcache/pngtext.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tovik::exifProperties(tovik::ByteView(data, size));
    tovik::pngText(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
    return 0;
}
