// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/preview.h"

#include "imaging/colour/screencolours.h"
#include "imaging/jpeg/jpegcolour.h"
#include "imaging/jpeg/jpegfailure.h"
#include "imaging/jpeg/jpegmarkers.h"
#include "imaging/pictureload.h"
#include "imaging/reading/orientation.h"

#include <QColorSpace>

#include <algorithm>
#include <cstdio>

#include <unistd.h>

namespace tovik {

struct JpegPreview::Decoder {
    jpeg_decompress_struct info{};
    JpegFailure failure{};
    std::FILE* file = nullptr;
    QImageIOHandler::Transformations turn;
    JpegHeaderMarkers markers;

    Decoder() { failure.create(info); }
    ~Decoder() {
        jpeg_destroy_decompress(&info);
        if (file)
            std::fclose(file);
    }

    // No object with a destructor is made here: a jump out of libjpeg skips this frame.
    bool readHeader() {
        if (setjmp(failure.jump))
            return false;
        jpeg_stdio_src(&info, file);
        markers.watch(info);
        if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK)
            return false;
        return !info.progressive_mode && !jpeg_has_multiple_scans(&info) &&
               info.num_components == 3 &&
               (info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_RGB);
    }

    bool decodeRows(QImage& image, int rows) {
        if (setjmp(failure.jump))
            return false;
        info.out_color_space = JCS_EXT_BGRX; // RGB32's own order in memory
        info.dct_method = JDCT_IFAST;
        info.do_fancy_upsampling = FALSE;
        jpeg_start_decompress(&info);
        if (int(info.output_width) != image.width() || int(info.output_height) != image.height())
            return false;
        readJpegRows(info, image, rows);
        jpeg_abort_decompress(&info); // the rest is never read
        return true;
    }
};

JpegPreview::JpegPreview(int fd) : m_decoder(std::make_unique<Decoder>()) {
    const int own = fd >= 0 ? ::dup(fd) : -1;
    if (own < 0 || ::lseek(own, 0, SEEK_SET) != 0 || !(m_decoder->file = ::fdopen(own, "rb"))) {
        if (own >= 0)
            ::close(own);
        return;
    }
    if (!m_decoder->readHeader())
        return;
    const QSize stored(int(m_decoder->info.image_width), int(m_decoder->info.image_height));
    if (qint64(stored.width()) * stored.height() * 4 > PictureBudgetBytes)
        return; // its full decode says so
    const QByteArray& exif = m_decoder->markers.exif;
    m_decoder->turn =
        exifOrientation(reinterpret_cast<const uchar*>(exif.constData()), size_t(exif.size()));
    m_size = m_decoder->turn.testFlag(QImageIOHandler::TransformationRotate90) ? stored.transposed()
                                                                               : stored;
}

JpegPreview::~JpegPreview() = default;

QImage JpegPreview::decode(int denominator, int rows, QRgb fill) {
    if (!m_size.isValid())
        return {};
    Decoder& d = *m_decoder;
    m_size = {};
    d.info.scale_num = 1;
    d.info.scale_denom = unsigned(denominator);
    jpeg_calc_output_dimensions(&d.info);
    QImage image(int(d.info.output_width), int(d.info.output_height), QImage::Format_RGB32);
    // Stored as it shows, or mirrored side to side: its top rows are the ones shown at the top.
    const bool asShown =
        (d.turn | QImageIOHandler::TransformationMirror) == QImageIOHandler::TransformationMirror;
    rows = asShown ? std::clamp(rows, 1, image.height()) : image.height();
    if (image.isNull() || !d.decodeRows(image, rows))
        return {};
    const QByteArray icc = d.markers.icc.joined();
    const BandConversion convert =
        icc.isEmpty() ? BandConversion()
                      : screenConversion(QColorSpace::fromIccProfile(icc), QImage::Format_RGB32);
    if (convert)
        convert(image.bits(), image.width(), rows, image.bytesPerLine());
    for (int y = rows; y < image.height(); ++y)
        std::fill_n(reinterpret_cast<QRgb*>(image.scanLine(y)), image.width(), fill);
    return upright(image, d.turn);
}

} // namespace tovik
