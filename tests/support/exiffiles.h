// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QByteArray>
#include <QList>

namespace tovik::test {

// One IFD entry as a camera writes it: tag, type (2 ASCII, 3 SHORT, 4 LONG, 5 RATIONAL) and its
// value's bytes (big-endian); count is worked out from them unless given.
struct ExifEntry {
    quint16 tag;
    quint16 type;
    QByteArray value;
    quint32 count = 0;
};
ExifEntry ascii(quint16 tag, const QByteArray& text);
ExifEntry shortValue(quint16 tag, quint16 value);
ExifEntry rationals(quint16 tag, const QList<QPair<quint32, quint32>>& values);

// A big-endian EXIF block ("Exif\0\0" and the TIFF data) with IFD0, the EXIF IFD and the GPS IFD
// holding these entries (any of them empty is left out).
QByteArray exifBlock(const QList<ExifEntry>& ifd0, const QList<ExifEntry>& photo,
                     const QList<ExifEntry>& gps);
// The JPEG with block as its APP1 segment, right after SOI.
QByteArray withExifBlock(const QByteArray& jpeg, const QByteArray& block);

// A camera's block: Tovikon ZX-900, 1/250 s, f/2.8, ISO 400, 50 mm (75 mm in 35 mm terms), taken
// 2024-05-17 14:03:00, at 48.858233 N, 2.294533 E.
QByteArray cameraExif();

// Hostile blocks: IFD0 whose next IFD is itself, an entry counting billions of values, a string
// without its end, GPS values out of range, a maker note pointing outside the block.
QList<QPair<const char*, QByteArray>> hostileExifBlocks();

} // namespace tovik::test
