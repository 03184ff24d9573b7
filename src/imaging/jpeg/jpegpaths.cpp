// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/jpeg/jpegpaths.h"

#include "imaging/colour/screencolours.h"
#include "imaging/decoding/canvas.h"
#include "imaging/jpeg/jpegbands.h"
#include "imaging/jpeg/jpegcolour.h"
#include "imaging/jpeg/jpegreduced.h"
#include "imaging/reading/orientation.h"
#include "imaging/reading/picturesource.h"

#include <QColorSpace>

#include <optional>

namespace tovik {

namespace {
// How a colour JPEG decoded by libjpeg-turbo is brought into the screen's colours (a null
// conversion: it is in them); none when the reader's path must take the file: gray, CMYK, or a
// profile only lcms2 reads.
std::optional<BandConversion> colourJpegConversion(const PictureSource& source) {
    if (source.format != "jpeg")
        return std::nullopt;
    const JpegColour& colour = source.jpegColours();
    if (colour.components != 3)
        return std::nullopt;
    if (colour.icc.isEmpty())
        return BandConversion();
    const BandConversion convert =
        screenConversion(QColorSpace::fromIccProfile(colour.icc), QImage::Format_RGB32);
    return convert ? std::optional(convert) : std::nullopt;
}
} // namespace

QImage reducedJpeg(PictureSource& source, const QSize& stored) {
    const std::optional<BandConversion> convert = colourJpegConversion(source);
    if (!convert)
        return {};
    QImage reduced = decodeJpegReduced(source.bytes(), stored);
    if (!reduced.isNull() && *convert)
        (*convert)(reduced.bits(), reduced.width(), reduced.height(), reduced.bytesPerLine());
    return reduced.isNull() ? reduced : upright(reduced, source.turn);
}

QImage decodedInBands(PictureSource& source) {
    const QSize stored = source.claimed; // as the reader says it, before turning upright
    if (stored.height() < 256 || qint64(stored.width()) * stored.height() * 4 > PictureBudgetBytes)
        return {};
    const std::optional<BandConversion> convert = colourJpegConversion(source);
    if (!convert)
        return {};
    QImage canvas = qint64(stored.width()) * stored.height() * 4 >= LargePictureBytes
                        ? reusableCanvas(stored)
                        : QImage(stored, QImage::Format_RGB32);
    if (canvas.isNull() || !decodeJpegInBands(source.bytes(), canvas, *convert))
        return {};
    return upright(canvas, source.turn);
}

} // namespace tovik
