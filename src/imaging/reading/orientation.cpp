// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/reading/orientation.h"

#include "core/bytes.h"

#include <QTransform>

namespace tovik {

using T = QImageIOHandler::Transformation;

ExifOrientationField exifOrientationField(const uchar* app1, size_t length) {
    constexpr quint32 OrientationTag = 0x0112, Short = 3;
    ExifOrientationField field;
    if (length < 14 || !ByteView(app1, 6).has(0, "Exif\0\0", 6))
        return field;
    const ByteView b(app1 + 6, length - 6);
    if (!b.has(0, "II*\0", 4) && !b.has(0, "MM\0*", 4))
        return field;
    field.tiff = true;
    field.little = b.u8(0) == 'I';
    const auto u16 = [&](qint64 at) { return field.little ? b.le16(at) : b.be16(at); };
    const auto u32 = [&](qint64 at) { return field.little ? b.le32(at) : b.be32(at); };
    const qint64 ifd = u32(4);
    for (quint32 i = 0, count = u16(ifd); i < count && i < 1000; ++i) {
        const qint64 entry = ifd + 2 + 12 * qint64(i);
        if (u16(entry) != OrientationTag)
            continue;
        field.present = true;
        const quint32 value = u16(entry + 8);
        if (u16(entry + 2) == Short && u32(entry + 4) == 1 && entry + 10 <= b.size()) {
            field.at = 6 + entry + 8;
            field.value = value >= 1 && value <= 8 ? int(value) : 0;
        }
        return field;
    }
    return field;
}

QImageIOHandler::Transformations exifOrientation(const uchar* app1, size_t length) {
    static constexpr T turns[] = {T::TransformationNone,
                                  T::TransformationMirror,
                                  T::TransformationRotate180,
                                  T::TransformationFlip,
                                  T::TransformationFlipAndRotate90,
                                  T::TransformationRotate90,
                                  T::TransformationMirrorAndRotate90,
                                  T::TransformationRotate270};
    const int value = exifOrientationField(app1, length).value;
    return value >= 1 ? turns[value - 1] : T::TransformationNone;
}

qint64 jpegExifSegment(const QByteArray& file, qint64* payloadLength) {
    const ByteView b(file.constData(), size_t(file.size()));
    if (!b.has(0, "\xff\xd8", 2))
        return -1;
    for (qint64 at = 2; at + 4 <= b.size() && b.u8(at) == 0xff && b.u8(at + 1) != 0xda;
         at += 2 + b.be16(at + 2)) {
        const qint64 length = b.be16(at + 2) - 2;
        if (b.u8(at + 1) == 0xe1 && b.has(at + 4, "Exif\0\0", 6)) {
            *payloadLength = std::clamp<qint64>(length, 0, b.size() - at - 4);
            return at;
        }
    }
    return -1;
}

QImageIOHandler::Transformations jpegOrientation(const QByteArray& file) {
    qint64 length = 0;
    const qint64 at = jpegExifSegment(file, &length);
    if (at < 0)
        return T::TransformationNone;
    return exifOrientation(reinterpret_cast<const uchar*>(file.constData()) + at + 4,
                           size_t(length));
}

QImage upright(QImage image, QImageIOHandler::Transformations turn) {
    if (turn == QImageIOHandler::TransformationRotate270)
        return image.transformed(QTransform().rotate(270));
    image = image.mirrored(turn & QImageIOHandler::TransformationMirror,
                           turn & QImageIOHandler::TransformationFlip);
    if (turn & QImageIOHandler::TransformationRotate90)
        image = image.transformed(QTransform().rotate(90));
    return image;
}

} // namespace tovik
