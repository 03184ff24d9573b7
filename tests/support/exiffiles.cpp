// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "support/exiffiles.h"

#include <QtEndian>

namespace tovik::test {

namespace {
QByteArray be16(quint16 v) {
    QByteArray b(2, '\0');
    qToBigEndian(v, b.data());
    return b;
}
QByteArray be32(quint32 v) {
    QByteArray b(4, '\0');
    qToBigEndian(v, b.data());
    return b;
}

quint32 countOf(const ExifEntry& e) {
    if (e.count)
        return e.count;
    const int unit = e.type == 3 ? 2 : e.type == 4 ? 4 : e.type == 5 ? 8 : 1;
    return quint32(e.value.size() / unit);
}

// An IFD at offset in the TIFF data, its long values after it; next is the next IFD's offset.
QByteArray ifdAt(quint32 offset, const QList<ExifEntry>& entries, quint32 next) {
    QByteArray table = be16(quint16(entries.size()));
    QByteArray values;
    const quint32 valuesAt = offset + 2 + 12 * quint32(entries.size()) + 4;
    for (const ExifEntry& e : entries) {
        table += be16(e.tag) + be16(e.type) + be32(countOf(e));
        if (e.value.size() <= 4) {
            table += e.value.leftJustified(4, '\0');
        } else {
            table += be32(valuesAt + quint32(values.size()));
            values += e.value;
            if (values.size() % 2)
                values += '\0';
        }
    }
    return table + be32(next) + values;
}

ExifEntry pointer(quint16 tag) {
    return {tag, 4, be32(0)};
}
} // namespace

ExifEntry ascii(quint16 tag, const QByteArray& text) {
    return {tag, 2, text + '\0'};
}

ExifEntry shortValue(quint16 tag, quint16 value) {
    return {tag, 3, be16(value)};
}

ExifEntry rationals(quint16 tag, const QList<QPair<quint32, quint32>>& values) {
    QByteArray bytes;
    for (const auto& [numerator, denominator] : values)
        bytes += be32(numerator) + be32(denominator);
    return {tag, 5, bytes};
}

QByteArray exifBlock(const QList<ExifEntry>& ifd0, const QList<ExifEntry>& photo,
                     const QList<ExifEntry>& gps) {
    QList<ExifEntry> first = ifd0;
    if (!photo.isEmpty())
        first << pointer(0x8769);
    if (!gps.isEmpty())
        first << pointer(0x8825);
    // Laid out once to learn where each IFD falls, then again with the pointers filled in.
    QByteArray tiff;
    for (int pass = 0; pass < 2; ++pass) {
        const QByteArray zero = ifdAt(8, first, 0);
        const quint32 photoAt = 8 + quint32(zero.size());
        const QByteArray exif = photo.isEmpty() ? QByteArray() : ifdAt(photoAt, photo, 0);
        const quint32 gpsAt = photoAt + quint32(exif.size());
        for (ExifEntry& e : first)
            if (e.tag == 0x8769 || e.tag == 0x8825)
                e.value = be32(e.tag == 0x8769 ? photoAt : gpsAt);
        tiff = QByteArray("MM\0*", 4) + be32(8) + zero + exif +
               (gps.isEmpty() ? QByteArray() : ifdAt(gpsAt, gps, 0));
    }
    return QByteArray("Exif\0\0", 6) + tiff;
}

QByteArray withExifBlock(const QByteArray& jpeg, const QByteArray& block) {
    return jpeg.left(2) + QByteArray("\xff\xe1", 2) + be16(quint16(block.size() + 2)) + block +
           jpeg.mid(2);
}

QByteArray cameraExif() {
    return exifBlock(
        {ascii(0x010f, "Tovikon"), ascii(0x0110, "ZX-900")},
        {rationals(0x829a, {{1, 250}}), rationals(0x829d, {{28, 10}}), shortValue(0x8822, 3),
         shortValue(0x8827, 400), ascii(0x9003, "2024:05:17 14:03:00"), shortValue(0x9209, 16),
         rationals(0x920a, {{50, 1}}), shortValue(0xa405, 75), ascii(0xa434, "Tovikon 50mm F1.8")},
        {ascii(1, "N"), rationals(2, {{48, 1}, {51, 1}, {2964, 100}}), ascii(3, "E"),
         rationals(4, {{2, 1}, {17, 1}, {4032, 100}})});
}

QList<QPair<const char*, QByteArray>> hostileExifBlocks() {
    const ExifEntry make = ascii(0x010f, "Tovikon");
    QByteArray loop = exifBlock({make}, {}, {});
    qToBigEndian<quint32>(8, loop.data() + 6 + 8 + 2 + 12); // IFD0's next IFD: IFD0 itself
    QByteArray endless = exifBlock({ascii(0x0110, QByteArray(40, 'Z'))}, {}, {});
    endless.chop(1); // the string's end and all after it gone
    return {
        {"IFD loop", loop},
        {"billions", exifBlock({make, {0x0110, 2, "ABCD", 0xfffffff0u}}, {}, {})},
        {"string without end", endless},
        {"GPS out of range", exifBlock({make}, {},
                                       {ascii(1, "N"), rationals(2, {{500, 1}, {0, 1}, {0, 1}}),
                                        ascii(3, "E"), rationals(4, {{2, 0}, {17, 1}, {0, 1}})})},
        {"maker note outside", exifBlock({make}, {{0x927c, 7, be32(0x7ffffff0), 100000}}, {})},
    };
}

} // namespace tovik::test
