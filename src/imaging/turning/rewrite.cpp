// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/turning/rewrite.h"

#include "core/bytes.h"
#include "imaging/reading/orientation.h"

#include <QBuffer>
#include <QImageWriter>
#include <QtEndian>

#include <zlib.h>

namespace tovik {

QImage turnedImage(const QImage& image, Turn turn) {
    using T = QImageIOHandler::Transformation;
    switch (turn) {
    case Turn::Clockwise:
        return upright(image, T::TransformationRotate90);
    case Turn::CounterClockwise:
        return upright(image, T::TransformationRotate270);
    case Turn::FlipHorizontal:
        return upright(image, T::TransformationMirror);
    case Turn::FlipVertical:
        return upright(image, T::TransformationFlip);
    }
    return image;
}

namespace {
// The picture as a palette of its own colours, when it has 256 or fewer; null otherwise.
QImage asPalette(const QImage& image) {
    const QImage indexed =
        image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
    const QImage::Format back =
        image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    return indexed.convertToFormat(back) == image.convertToFormat(back) ? indexed : QImage();
}
} // namespace

QByteArray losslessEncoded(const QImage& image, const QByteArray& format, bool palette) {
    QImage written = image;
    if (palette && image.format() != QImage::Format_Indexed8) {
        const QImage indexed = asPalette(image);
        if (!indexed.isNull())
            written = indexed;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (format == "webp")
        writer.setQuality(100); // Qt's WebP writer writes lossless at 100
    if (format == "tiff")
        writer.setCompression(1); // LZW, as lossless as the stored strips
    return writer.write(written) ? bytes : QByteArray();
}

namespace {
constexpr qint64 Signature = 8;

// Chunks that describe the picture rather than lay out its pixels: carried over.
bool carried(const QByteArray& type) {
    static const QByteArrayList kept = {"tEXt", "zTXt", "iTXt", "iCCP", "sRGB", "gAMA",
                                        "cHRM", "cICP", "eXIf", "tIME", "pHYs", "sBIT"};
    return kept.contains(type);
}

QByteArray chunk(const QByteArray& type, QByteArray data) {
    QByteArray out(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), out.data());
    const QByteArray body = type + data;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(
        quint32(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size()))),
        crc.data());
    return out + body + crc;
}

// Each chunk of a PNG in order: its type and data; stops at the first that runs past the end.
template <typename Visit> void eachChunk(const QByteArray& png, Visit visit) {
    const ByteView b(png.constData(), size_t(png.size()));
    for (qint64 at = Signature; at + 12 <= b.size();) {
        const qint64 length = b.be32(at);
        if (at + 12 + length > b.size())
            return;
        visit(png.mid(at + 4, 4), png.mid(at + 8, length));
        at += 12 + length;
    }
}
} // namespace

QByteArray withPngChunksOf(const QByteArray& encoded, const QByteArray& original, bool sideways) {
    QByteArray metadata;
    eachChunk(original, [&](const QByteArray& type, QByteArray data) {
        if (!carried(type))
            return;
        if (type == "pHYs" && sideways && data.size() == 9)
            data = data.mid(4, 4) + data.left(4) + data.mid(8);
        metadata += chunk(type, data);
    });
    QByteArray out = encoded.left(Signature);
    eachChunk(encoded, [&](const QByteArray& type, const QByteArray& data) {
        if (carried(type))
            return; // the original's stand in for the writer's
        out += chunk(type, data);
        if (type == "IHDR")
            out += metadata; // before PLTE and IDAT, where readers look for colour chunks
    });
    return out;
}

} // namespace tovik
