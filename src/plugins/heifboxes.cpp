// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "plugins/heifboxes.h"

#include "core/bytes.h"

#include <algorithm>
#include <functional>

namespace tovik {

namespace {
// Calls visit(type, start of its contents, end) for each box from `at` to `end`; stops at a box
// that runs past the end.
void eachBox(const ByteView& b, qint64 at, qint64 end,
             const std::function<void(quint32, qint64, qint64)>& visit) {
    while (at + 8 <= end) {
        qint64 size = b.be32(at), header = 8;
        if (size == 1) { // a 64-bit size follows the type
            size = qint64(b.be32(at + 8)) << 32 | b.be32(at + 12);
            header = 16;
        } else if (size == 0) { // to the end
            size = end - at;
        }
        if (size < header || at + size > end)
            return;
        visit(b.be32(at + 4), at + header, at + size);
        at += size;
    }
}

constexpr quint32 fourcc(const char (&name)[5]) {
    return quint32(uchar(name[0])) << 24 | quint32(uchar(name[1])) << 16 |
           quint32(uchar(name[2])) << 8 | uchar(name[3]);
}

// The entry count of a full box whose count follows its version and flags: 16 bits in version
// 0, else 32.
quint32 entryCount(const ByteView& b, qint64 at, bool sixteenInVersion0) {
    return sixteenInVersion0 && b.u8(at) == 0 ? b.be16(at + 4) : b.be32(at + 4);
}

qint64 boxCount(const ByteView& b, qint64 at, qint64 end) {
    qint64 count = 0;
    eachBox(b, at, end, [&](quint32, qint64, qint64) { ++count; });
    return count;
}
} // namespace

namespace {
// What the meta box says of its primary item: its number, its type, where its data are.
struct Primary {
    quint32 id = 0, type = 0;
    qint64 idat = -1;    // where the meta box's own data start
    qint64 dataAt = -1;  // where its data start: in the file, or within idat
    bool inIdat = false; // construction method 1
    qint64 dataLength = 0;
};

quint32 sized(const ByteView& b, qint64 at, int bytes) {
    return bytes == 4 ? b.be32(at) : bytes == 2 ? b.be16(at) : bytes == 8 ? b.be32(at + 4) : 0;
}

// The primary item's entry in iloc (after its version and flags at at): the first extent.
void locate(const ByteView& b, qint64 at, Primary& primary) {
    const quint32 version = b.u8(at);
    const int offsetSize = int(b.u8(at + 4) >> 4), lengthSize = int(b.u8(at + 4) & 15);
    const int baseSize = int(b.u8(at + 5) >> 4), indexSize = version ? int(b.u8(at + 5) & 15) : 0;
    const int idSize = version < 2 ? 2 : 4;
    const quint32 count = sized(b, at + 6, idSize);
    at += 6 + idSize;
    for (quint32 i = 0; i < count && at < b.size(); ++i) {
        const quint32 id = sized(b, at, idSize);
        at += idSize;
        const quint32 method = version ? b.u8(at + 1) & 15 : 0;
        at += (version ? 2 : 0) + 2;
        const qint64 base = sized(b, at, baseSize);
        at += baseSize;
        const quint32 extents = b.be16(at);
        at += 2;
        if (id == primary.id && extents > 0 && method <= 1) {
            primary.dataAt = base + sized(b, at + indexSize, offsetSize);
            primary.inIdat = method == 1;
            primary.dataLength = sized(b, at + indexSize + offsetSize, lengthSize);
            return;
        }
        at += qint64(extents) * (indexSize + offsetSize + lengthSize);
    }
}

Primary primaryOf(const ByteView& b) {
    Primary primary;
    eachBox(b, 0, b.size(), [&](quint32 type, qint64 at, qint64 end) {
        if (type != fourcc("meta"))
            return;
        eachBox(b, at + 4, end, [&](quint32 child, qint64 from, qint64) {
            if (child == fourcc("pitm"))
                primary.id = b.u8(from) == 0 ? b.be16(from + 4) : b.be32(from + 4);
            else if (child == fourcc("idat"))
                primary.idat = from;
        });
        eachBox(b, at + 4, end, [&](quint32 child, qint64 from, qint64 to) {
            if (child == fourcc("iloc"))
                locate(b, from, primary);
            else if (child == fourcc("iinf"))
                eachBox(b, from + (b.u8(from) == 0 ? 6 : 8), to,
                        [&](quint32 entry, qint64 in, qint64) {
                            const quint32 version = b.u8(in);
                            const quint32 id = version == 2 ? b.be16(in + 4) : b.be32(in + 4);
                            if (entry == fourcc("infe") && version >= 2 && id == primary.id)
                                primary.type = b.be32(in + (version == 2 ? 8 : 10));
                        });
        });
    });
    return primary;
}
} // namespace

QSize heifGridSize(const QByteArray& file) {
    const ByteView b(file.constData(), size_t(file.size()));
    const Primary primary = primaryOf(b);
    if (primary.type != fourcc("grid") || primary.dataAt == -1 || primary.dataLength < 8)
        return {};
    const qint64 at = !primary.inIdat     ? primary.dataAt
                      : primary.idat >= 0 ? primary.idat + primary.dataAt
                                          : -1;
    if (at < 0 || at + 8 > b.size())
        return {};
    const bool wide = b.u8(at + 1) & 1; // 32-bit sizes
    const qint64 width = wide ? b.be32(at + 4) : b.be16(at + 4);
    const qint64 height = wide ? b.be32(at + 8) : b.be16(at + 6);
    constexpr qint64 MostInt = 0x7fffffff;
    return {int(std::min(width, MostInt)), int(std::min(height, MostInt))};
}

bool heifWithinBounds(const QByteArray& file) {
    const ByteView b(file.constData(), size_t(file.size()));
    bool within = true;
    const auto atMost = [&](qint64 count) { within = within && count <= MostHeifItems; };
    eachBox(b, 0, b.size(), [&](quint32 type, qint64 at, qint64 end) {
        if (type != fourcc("meta"))
            return;
        eachBox(b, at + 4, end, [&](quint32 child, qint64 from, qint64 to) { // after version
            if (child == fourcc("iinf"))
                atMost(entryCount(b, from, true));
            else if (child == fourcc("iref"))
                atMost(boxCount(b, from + 4, to));
            else if (child == fourcc("iprp"))
                eachBox(b, from, to, [&](quint32 part, qint64 in, qint64 out) {
                    if (part == fourcc("ipco"))
                        atMost(boxCount(b, in, out));
                    else if (part == fourcc("ipma"))
                        atMost(entryCount(b, in, false));
                });
        });
    });
    return within;
}

} // namespace tovik
