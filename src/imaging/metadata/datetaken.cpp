// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/datetaken.h"

#include "core/bytes.h"
#include "imaging/reading/orientation.h"

#include <QDateTime>
#include <QFile>

namespace tovik {

namespace {
// A JPEG's EXIF block is one segment of at most 64 KiB, near its start.
constexpr qint64 MostRead = 128 * 1024;
constexpr quint32 DateTime = 0x0132, ExifPointer = 0x8769, DateTimeOriginal = 0x9003;
constexpr quint32 Ascii = 2, DateLength = 20; // "YYYY:MM:DD HH:MM:SS" and its end

// The value offset of tag in the IFD at ifd of the TIFF data b; -1 when it is not there.
qint64 entryValue(const ByteView& b, bool little, qint64 ifd, quint32 tag) {
    const auto u16 = [&](qint64 at) { return little ? b.le16(at) : b.be16(at); };
    for (quint32 i = 0, count = u16(ifd); i < count && i < 1000; ++i) {
        const qint64 entry = ifd + 2 + 12 * qint64(i);
        if (u16(entry) == tag)
            return entry + 8;
    }
    return -1;
}

// The date the ASCII entry of tag holds, in the IFD at ifd.
QDateTime dateIn(const ByteView& b, bool little, qint64 ifd, quint32 tag) {
    const qint64 entry = entryValue(b, little, ifd, tag);
    const auto u16 = [&](qint64 at) { return little ? b.le16(at) : b.be16(at); };
    const auto u32 = [&](qint64 at) { return little ? b.le32(at) : b.be32(at); };
    if (entry < 0 || u16(entry - 6) != Ascii || u32(entry - 4) != DateLength)
        return {};
    const qint64 at = u32(entry);
    if (at < 0 || at + 19 > b.size())
        return {};
    const QByteArray text(static_cast<const char*>(b.data()) + at, 19);
    return QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy:MM:dd HH:mm:ss"));
}
} // namespace

qint64 dateTakenMs(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray head = file.read(MostRead);
    qint64 length = 0;
    const qint64 segment = jpegExifSegment(head, &length);
    if (segment < 0 || length < 14)
        return -1;
    const ByteView b(head.constData() + segment + 10, size_t(length - 6));
    const bool little = b.has(0, "II*\0", 4);
    if (!little && !b.has(0, "MM\0*", 4))
        return -1;
    const qint64 ifd0 = little ? b.le32(4) : b.be32(4);
    const qint64 pointer = entryValue(b, little, ifd0, ExifPointer);
    const qint64 exifIfd = pointer < 0 ? -1 : (little ? b.le32(pointer) : b.be32(pointer));
    QDateTime taken =
        exifIfd > 0 && exifIfd != ifd0 ? dateIn(b, little, exifIfd, DateTimeOriginal) : QDateTime();
    if (!taken.isValid())
        taken = dateIn(b, little, ifd0, DateTime);
    return taken.isValid() ? taken.toMSecsSinceEpoch() : -1;
}

} // namespace tovik
