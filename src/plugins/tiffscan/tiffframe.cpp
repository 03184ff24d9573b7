// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "plugins/tiffscan/tiffframe.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <vector>

#include <unistd.h>

namespace tovik::tiffscan {

namespace {
constexpr int MostEntries = 4096;

// Reads the file's numbers in its own byte order.
struct Numbers {
    bool little = true;
    quint64 at(const uchar* p, int bytes) const {
        quint64 n = 0;
        for (int i = 0; i < bytes; ++i)
            n |= quint64(p[little ? i : bytes - 1 - i]) << (8 * i);
        return n;
    }
};

// An entry's single value, when it is a SHORT, LONG or LONG8 held in the entry itself.
std::optional<quint64> valueOf(const Numbers& n, const uchar* entry, bool big) {
    const int type = int(n.at(entry + 2, 2));
    const quint64 count = n.at(entry + 4, big ? 8 : 4);
    const uchar* value = entry + (big ? 12 : 8);
    if (count != 1)
        return {};
    if (type == 3)
        return n.at(value, 2);
    if (type == 4 || (type == 16 && big))
        return n.at(value, type == 16 ? 8 : 4);
    return {};
}
} // namespace

std::optional<TiffFrame> tiffFrame(int fd) {
    uchar head[16] = {};
    if (pread(fd, head, sizeof head, 0) < 8 ||
        (std::memcmp(head, "II", 2) != 0 && std::memcmp(head, "MM", 2) != 0))
        return {};
    const Numbers n{head[0] == 'I'};
    const quint64 version = n.at(head + 2, 2);
    const bool big = version == 43;
    if (version != 42 && !(big && n.at(head + 4, 2) == 8))
        return {};
    const quint64 directory = big ? n.at(head + 8, 8) : n.at(head + 4, 4);
    uchar countBytes[8] = {};
    const int countSize = big ? 8 : 2, entrySize = big ? 20 : 12;
    if (directory > quint64(INT64_MAX) ||
        pread(fd, countBytes, size_t(countSize), off_t(directory)) != countSize)
        return {};
    const quint64 count = n.at(countBytes, countSize);
    if (count == 0 || count > MostEntries)
        return {};
    std::vector<uchar> entries(size_t(count) * size_t(entrySize));
    if (pread(fd, entries.data(), entries.size(), off_t(directory + quint64(countSize))) !=
        ssize_t(entries.size()))
        return {};
    quint64 width = 0, height = 0, rows = 0, tileWidth = 0, tileHeight = 0, orientation = 1,
            compression = 1, planar = 1;
    for (size_t i = 0; i < size_t(count); ++i) {
        const uchar* entry = &entries[i * size_t(entrySize)];
        const std::optional<quint64> value = valueOf(n, entry, big);
        if (!value)
            continue;
        switch (n.at(entry, 2)) {
        case 256:
            width = *value;
            break;
        case 257:
            height = *value;
            break;
        case 274:
            orientation = *value;
            break;
        case 259:
            compression = *value;
            break;
        case 278:
            rows = *value;
            break;
        case 284:
            planar = *value;
            break;
        case 322:
            tileWidth = *value;
            break;
        case 323:
            tileHeight = *value;
            break;
        }
    }
    if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX)
        return {};
    TiffFrame frame;
    frame.size = QSize(int(width), int(height));
    frame.orientation = int(std::min<quint64>(orientation, 9));
    frame.tiled = tileWidth && tileHeight;
    // libtiff reads a single strip stored as it is a few rows at a time.
    if (rows == 0 || rows > height)
        rows = height;
    if (rows == height && compression == 1 && planar == 1)
        rows = 1;
    frame.piece = frame.tiled ? QSize(int(std::min<quint64>(tileWidth, INT32_MAX)),
                                      int(std::min<quint64>(tileHeight, INT32_MAX)))
                              : QSize(int(width), int(rows));
    return frame;
}

} // namespace tovik::tiffscan
