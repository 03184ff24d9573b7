// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "plugins/jpegscan/jpeglayout.h"

#include <algorithm>

namespace tovik::jpegscan {

namespace {
int byteAt(const QByteArray& bytes, qsizetype at) {
    return uchar(bytes[at]);
}

int wordAt(const QByteArray& bytes, qsizetype at) {
    return byteAt(bytes, at) << 8 | byteAt(bytes, at + 1);
}

bool readFrame(JpegLayout& layout, const QByteArray& s) {
    if (s.size() < 6 || byteAt(s, 0) != 8)
        return false;
    layout.size = QSize(wordAt(s, 3), wordAt(s, 1));
    const int count = byteAt(s, 5);
    if ((count != 1 && count != 3) || s.size() < 6 + 3 * count || layout.size.isEmpty())
        return false;
    for (int i = 0; i < count; ++i) {
        const int sampling = byteAt(s, 7 + 3 * i);
        JpegComponent c{byteAt(s, 6 + 3 * i), sampling >> 4, sampling & 15, 0, 0};
        if (c.h < 1 || c.h > 2 || c.v < 1 || c.v > 2)
            return false;
        layout.maxH = std::max(layout.maxH, c.h);
        layout.maxV = std::max(layout.maxV, c.v);
        layout.components.push_back(c);
    }
    layout.frameHeader = s;
    return true;
}

bool readTables(JpegLayout& layout, const QByteArray& s) {
    for (qsizetype at = 0; at < s.size();) {
        if (s.size() - at < 17)
            return false;
        const int kind = byteAt(s, at) >> 4, id = byteAt(s, at) & 15;
        int values = 0;
        for (int i = 1; i <= 16; ++i)
            values += byteAt(s, at + i);
        if (kind > 1 || id > 3 || values > 256 || s.size() - at - 17 < values)
            return false;
        (kind == 0 ? layout.dcDefinitions : layout.acDefinitions)[id] = s.mid(at + 1, 16 + values);
        at += 17 + values;
    }
    return true;
}

// One interleaved scan of every component, all of each coefficient.
bool readScan(JpegLayout& layout, const QByteArray& s) {
    const int count = s.isEmpty() ? 0 : byteAt(s, 0);
    if (count != int(layout.components.size()) || s.size() != 4 + 2 * count)
        return false;
    for (int i = 0; i < count; ++i) {
        JpegComponent& c = layout.components[i];
        const int tables = byteAt(s, 2 + 2 * i);
        c.dcTable = tables >> 4;
        c.acTable = tables & 15;
        if (byteAt(s, 1 + 2 * i) != c.id || c.dcTable > 3 || c.acTable > 3 ||
            layout.dcDefinitions[c.dcTable].isEmpty() || layout.acDefinitions[c.acTable].isEmpty())
            return false;
    }
    return byteAt(s, 1 + 2 * count) == 0 && byteAt(s, 2 + 2 * count) == 63 &&
           byteAt(s, 3 + 2 * count) == 0;
}
} // namespace

std::optional<JpegLayout> baselineLayout(const QByteArray& head) {
    if (head.size() < 4 || byteAt(head, 0) != 0xff || byteAt(head, 1) != 0xd8)
        return {};
    JpegLayout layout;
    bool framed = false;
    for (qsizetype at = 2; at + 4 <= head.size();) {
        if (byteAt(head, at) != 0xff)
            return {};
        const int marker = byteAt(head, at + 1);
        if (marker == 0xff) { // fill bytes before a marker
            ++at;
            continue;
        }
        const int length = wordAt(head, at + 2);
        if (length < 2 || at + 2 + length > head.size())
            return {};
        const QByteArray segment = head.mid(at + 4, length - 2);
        const QByteArray whole = head.mid(at, length + 2);
        at += 2 + length;
        if (marker == 0xc0 || marker == 0xc1) {
            if (framed || !(framed = readFrame(layout, segment)))
                return {};
        } else if (marker >= 0xc2 && marker <= 0xcf && marker != 0xc4 && marker != 0xcc) {
            return {}; // progressive, lossless or arithmetic-coded
        } else if (marker == 0xc4) {
            if (!readTables(layout, segment))
                return {};
            layout.tables += whole;
        } else if (marker == 0xdb || marker == 0xe0 || marker == 0xee) {
            layout.tables += whole;
        } else if (marker == 0xdd && segment.size() == 2) {
            layout.restartInterval = wordAt(segment, 0);
        } else if (marker == 0xe1 && layout.exif.isEmpty() && segment.startsWith("Exif")) {
            layout.exif = segment;
        } else if (marker == 0xe2) {
            layout.iccSegments.append(segment);
        } else if (marker == 0xda) {
            if (!framed || !readScan(layout, segment))
                return {};
            layout.scanHeader = whole;
            layout.scanData = at;
            return layout;
        } else if (marker == 0xd9 || marker == 0xcc) {
            return {};
        }
    }
    return {};
}

} // namespace tovik::jpegscan
