// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// The formats told apart by their opening bytes, apart from the drawing code, so that a program
// that only asks (the viewer) links no drawing library.

#include "plugins/metafile/metafilerender.h"

#include "core/bytes.h"

#include <cstring>

namespace tovik::metafile {

bool looksLikeWmf(const unsigned char* data, std::size_t size) {
    if (size >= 22 && ByteView(data, 4).le32(0) == 0x9AC6CDD7u)
        return true; // placeable header
    // A plain header: type 1 (memory) or 2 (disk), header size 9 words.
    return size >= 18 && (data[0] == 1 || data[0] == 2) && data[1] == 0 && data[2] == 9 &&
           data[3] == 0;
}

bool looksLikeEmf(const unsigned char* data, std::size_t size) {
    return size >= 88 && ByteView(data, 4).le32(0) == 1 && std::memcmp(data + 40, " EMF", 4) == 0;
}

} // namespace tovik::metafile
