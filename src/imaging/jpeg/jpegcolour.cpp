// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/jpeg/jpegcolour.h"

#include "core/bytes.h"
#include "imaging/colour/screencolours.h"
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
