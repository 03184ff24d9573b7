// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/jpeg/jpegcolour.h"

#include "core/bytes.h"
#include "imaging/colour/profiles.h"
#include "imaging/colour/screencolours.h"

#include <turbojpeg.h>

#include <QMap>
#include <QTransform>

#include <memory>

namespace tovik {

namespace {
constexpr char IccTag[] = "ICC_PROFILE"; // with its NUL, 12 bytes

// One APP2 chunk of the profile: its place among count chunks, and its bytes.
void addChunk(const ByteView& b, const QByteArray& file, qint64 at, QMap<int, QByteArray>& chunks,
              int& count) {
    const qint64 length = b.be16(at + 2);
    if (length < 16 || !b.has(at + 4, IccTag, sizeof IccTag))
        return;
    count = int(b.u8(at + 17));
    chunks.insert(int(b.u8(at + 16)), file.mid(at + 18, length - 16));
}

QByteArray joined(const QMap<int, QByteArray>& chunks, int count) {
    QByteArray icc;
    for (int i = 1; i <= count; ++i) {
        if (!chunks.contains(i) || icc.size() + chunks[i].size() > MaxProfileBytes)
            return {};
        icc += chunks[i];
    }
    return icc;
}

struct TjFree {
    void operator()(void* handle) const { tjDestroy(handle); }
};
} // namespace

// The segments before the first scan; their lengths are read bounded, so a lying one ends the
// walk.
JpegColour jpegColour(const QByteArray& file) {
    const ByteView b(file.constData(), size_t(file.size()));
    JpegColour colour;
    QMap<int, QByteArray> chunks;
    int count = 0;
    for (qint64 at = 2; at + 4 <= b.size() && b.u8(at) == 0xff && b.u8(at + 1) != 0xda;
         at += 2 + b.be16(at + 2)) {
        const quint32 marker = b.u8(at + 1);
        if (marker == 0xe2)
            addChunk(b, file, at, chunks, count);
        else if (marker == 0xee)
            colour.adobe = colour.adobe || b.has(at + 4, "Adobe", 5);
        else if (marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 &&
                 marker != 0xcc)
            colour.components = int(b.u8(at + 9));
    }
    colour.icc = joined(chunks, count);
    return colour;
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

QImage cmykJpeg(const QByteArray& file, const JpegColour& colour,
                QImageIOHandler::Transformations turn) {
    const std::unique_ptr<void, TjFree> decoder(tjInitDecompress());
    auto* data = reinterpret_cast<const unsigned char*>(file.constData());
    int width = 0, height = 0, subsampling = 0, space = 0;
    if (!decoder ||
        tjDecompressHeader3(decoder.get(), data, (unsigned long)file.size(), &width, &height,
                            &subsampling, &space) != 0 ||
        (space != TJCS_CMYK && space != TJCS_YCCK))
        return {};
    QByteArray cmyk(qsizetype(width) * height * 4, Qt::Uninitialized);
    if (tjDecompress2(decoder.get(), data, (unsigned long)file.size(),
                      reinterpret_cast<unsigned char*>(cmyk.data()), width, 0, height, TJPF_CMYK,
                      0) != 0)
        return {};
    const QImage image = cmykToScreen(reinterpret_cast<const uchar*>(cmyk.constData()),
                                      {width, height}, colour.adobe, colour.icc);
    return image.isNull() ? image : upright(image, turn);
}

} // namespace tovik
