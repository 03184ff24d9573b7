// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/turning/jpegorientation.h"

#include "core/bytes.h"
#include "imaging/reading/orientation.h"

#include <QtEndian>

namespace tovik {

namespace {
constexpr quint16 OrientationTag = 0x0112, Short = 3;
constexpr qint64 MostSegment = 0xffff;

const uchar* bytesAt(const QByteArray& file, qint64 at) {
    return reinterpret_cast<const uchar*>(file.constData()) + at;
}

// One IFD entry: a SHORT of count 1 holding value.
QByteArray orientationEntry(bool little, int value) {
    QByteArray entry(12, '\0');
    uchar* e = reinterpret_cast<uchar*>(entry.data());
    if (little) {
        qToLittleEndian<quint16>(OrientationTag, e);
        qToLittleEndian<quint16>(Short, e + 2);
        qToLittleEndian<quint32>(1, e + 4);
        qToLittleEndian<quint16>(quint16(value), e + 8);
    } else {
        qToBigEndian<quint16>(OrientationTag, e);
        qToBigEndian<quint16>(Short, e + 2);
        qToBigEndian<quint32>(1, e + 4);
        qToBigEndian<quint16>(quint16(value), e + 8);
    }
    return entry;
}

// The TIFF block with a copy of IFD0 plus the Orientation tag appended, the header pointing to
// the copy; empty when IFD0 does not lie inside the block.
QByteArray withOrientationAdded(QByteArray tiff, bool little, int value) {
    const ByteView b(tiff.constData(), size_t(tiff.size()));
    const auto u16 = [&](qint64 at) { return little ? b.le16(at) : b.be16(at); };
    const qint64 ifd = little ? b.le32(4) : b.be32(4);
    const qint64 count = u16(ifd);
    const qint64 end = ifd + 2 + 12 * count + 4;
    if (ifd < 8 || end > tiff.size() || count >= 0xffff)
        return {};
    QByteArray copy(2, '\0');
    uchar* c = reinterpret_cast<uchar*>(copy.data());
    little ? qToLittleEndian<quint16>(quint16(count + 1), c)
           : qToBigEndian<quint16>(quint16(count + 1), c);
    const QByteArray added = orientationEntry(little, value);
    bool placed = false;
    for (qint64 i = 0; i < count; ++i) { // entries stay in ascending tag order
        const qint64 entry = ifd + 2 + 12 * i;
        if (!placed && u16(entry) > OrientationTag)
            copy += added, placed = true;
        copy += tiff.mid(entry, 12);
    }
    if (!placed)
        copy += added;
    copy += tiff.mid(end - 4, 4); // the next IFD
    if (tiff.size() % 2)
        tiff += '\0'; // an IFD starts on a word boundary
    const quint32 at = quint32(tiff.size());
    uchar* header = reinterpret_cast<uchar*>(tiff.data()) + 4;
    little ? qToLittleEndian<quint32>(at, header) : qToBigEndian<quint32>(at, header);
    return tiff + copy;
}

// Where a new APP1 goes: after SOI and a JFIF APP0, which must come first.
qint64 newSegmentPlace(const QByteArray& file) {
    const ByteView b(file.constData(), size_t(file.size()));
    return b.be16(2) == 0xffe0 ? 4 + b.be16(4) : 2;
}
} // namespace

int jpegOrientationValue(const QByteArray& file) {
    qint64 length = 0;
    const qint64 at = jpegExifSegment(file, &length);
    if (at < 0)
        return 1;
    const int value = exifOrientationField(bytesAt(file, at + 4), size_t(length)).value;
    return value ? value : 1;
}

QByteArray newExifSegment(int value) {
    QByteArray segment("\xff\xe1\x00\x22"
                       "Exif\0\0MM\0*\0\0\0\x08\0\x01",
                       20);
    return segment + orientationEntry(false, value) + QByteArray(4, '\0');
}

QByteArray withJpegOrientation(const QByteArray& file, int value) {
    qint64 length = 0;
    const qint64 at = jpegExifSegment(file, &length);
    if (at < 0)
        return QByteArray(file).insert(newSegmentPlace(file), newExifSegment(value));
    const ExifOrientationField field = exifOrientationField(bytesAt(file, at + 4), size_t(length));
    if (!field.tiff || (field.present && field.at < 0))
        return {};
    QByteArray edited = file;
    if (field.at >= 0) {
        uchar* place = reinterpret_cast<uchar*>(edited.data()) + at + 4 + field.at;
        field.little ? qToLittleEndian<quint16>(quint16(value), place)
                     : qToBigEndian<quint16>(quint16(value), place);
        return edited;
    }
    const QByteArray tiff =
        withOrientationAdded(file.mid(at + 10, length - 6), field.little, value);
    const qint64 segmentLength = 2 + 6 + tiff.size();
    if (tiff.isEmpty() || segmentLength > MostSegment)
        return {};
    QByteArray segment("\xff\xe1\0\0Exif\0\0", 10);
    qToBigEndian<quint16>(quint16(segmentLength), segment.data() + 2);
    return edited.replace(at, 4 + length, segment + tiff);
}

} // namespace tovik
