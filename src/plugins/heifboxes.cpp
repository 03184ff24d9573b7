// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "plugins/heifboxes.h"

#include "core/bytes.h"

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
