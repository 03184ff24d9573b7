// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/jpeg/jpegcolour.h"

#include "core/bytes.h"
#include "imaging/colour/screencolours.h"
#include "imaging/decoding/canvas.h"
#include "imaging/jpeg/jpegmarkers.h"
#include "imaging/reading/orientation.h"

#include <turbojpeg.h>

#include <algorithm>
#include <memory>

namespace tovik {

namespace {
struct TjFree {
    void operator()(void* handle) const { tjDestroy(handle); }
};
} // namespace

// The segments before the first scan; their lengths are read bounded, so a lying one ends the
// walk.
JpegColour jpegColour(const QByteArray& file) {
    const ByteView b(file.constData(), size_t(file.size()));
    JpegColour colour;
    IccChunks icc;
    for (qint64 at = 2; at + 4 <= b.size() && b.u8(at) == 0xff && b.u8(at + 1) != 0xda;
         at += 2 + b.be16(at + 2)) {
        const quint32 marker = b.u8(at + 1);
        if (marker == 0xe2)
            icc.add(reinterpret_cast<const uchar*>(file.constData()) + at + 4,
                    size_t(std::clamp<qint64>(b.be16(at + 2) - 2, 0, b.size() - at - 4)));
        else if (marker == 0xee)
            colour.adobe = colour.adobe || b.has(at + 4, "Adobe", 5);
        else if (marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 &&
                 marker != 0xcc)
            colour.components = int(b.u8(at + 9));
    }
    colour.icc = icc.joined();
    return colour;
}

namespace {
// The smallest of libjpeg-turbo's scales that keeps at least atLeast (the whole picture when
// atLeast is invalid).
QSize scaledSize(int width, int height, QSize atLeast) {
    int count = 0;
    const tjscalingfactor* factors = tjGetScalingFactors(&count);
    QSize best(width, height);
    for (int i = 0; atLeast.isValid() && i < count; ++i) {
        const QSize scaled(TJSCALED(width, factors[i]), TJSCALED(height, factors[i]));
        if (scaled.width() >= atLeast.width() && scaled.height() >= atLeast.height() &&
            scaled.width() < best.width())
            best = scaled;
    }
    return best;
}
} // namespace

QImage cmykJpeg(const QByteArray& file, const JpegColour& colour,
                QImageIOHandler::Transformations turn, QSize atLeast) {
    const std::unique_ptr<void, TjFree> decoder(tjInitDecompress());
    auto* data = reinterpret_cast<const unsigned char*>(file.constData());
    int width = 0, height = 0, subsampling = 0, space = 0;
    if (!decoder ||
        tjDecompressHeader3(decoder.get(), data, (unsigned long)file.size(), &width, &height,
                            &subsampling, &space) != 0 ||
        (space != TJCS_CMYK && space != TJCS_YCCK))
        return {};
    // The inks are decoded into the picture's own memory and turned into colours there.
    QImage image = canvasOf(scaledSize(width, height, atLeast), QImage::Format_RGB32);
    if (image.isNull() ||
        tjDecompress2(decoder.get(), data, (unsigned long)file.size(), image.bits(), image.width(),
                      int(image.bytesPerLine()), image.height(), TJPF_CMYK, 0) != 0 ||
        !cmykToScreen(image, colour.adobe, colour.icc))
        return {};
    return upright(image, turn);
}

} // namespace tovik
