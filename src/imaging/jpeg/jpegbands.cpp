// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/jpeg/jpegbands.h"

#include "imaging/jpeg/jpegfailure.h"

#include <QFuture>
#include <QList>
#include <QtConcurrent/QtConcurrentRun>

namespace tovik {

namespace {
constexpr int BandRows = 256;

struct Decoding {
    jpeg_decompress_struct info{};
    JpegFailure failure{};
    QImage& image;
    const BandConversion& convert;
    QList<QFuture<void>> bands;

    void convertRows(int top, int bottom) {
        uchar* rows = image.bits() + qsizetype(top) * image.bytesPerLine();
        const BandConversion& work = convert;
        const int width = image.width();
        const qsizetype stride = image.bytesPerLine();
        bands.append(QtConcurrent::run([&work, rows, width, bottom, top, stride] {
            work(rows, width, bottom - top, stride);
        }));
    }

    // No object with a destructor lives here: a jump out of libjpeg skips this frame.
    bool run(const QByteArray& file) {
        if (setjmp(failure.jump))
            return false;
        readJpegHeader(info, file);
        jpeg_start_decompress(&info);
        if (int(info.output_width) != image.width() || int(info.output_height) != image.height())
            return false;
        int top = 0;
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = image.scanLine(int(info.output_scanline));
            jpeg_read_scanlines(&info, &row, 1);
            const int done = int(info.output_scanline);
            if (convert && (done - top == BandRows || done == image.height())) {
                convertRows(top, done);
                top = done;
            }
        }
        jpeg_finish_decompress(&info);
        return true;
    }
};
} // namespace

bool decodeJpegInBands(const QByteArray& file, QImage& image, const BandConversion& convert) {
    if (image.format() != QImage::Format_RGB32)
        return false;
    image.bits(); // detached once, before the bands share its memory
    Decoding decoding{{}, {}, image, convert, {}};
    decoding.failure.create(decoding.info);
    const bool decoded = decoding.run(file);
    jpeg_destroy_decompress(&decoding.info);
    for (QFuture<void>& band : decoding.bands)
        band.waitForFinished(); // runs a band not yet started here
    return decoded;
}

} // namespace tovik
