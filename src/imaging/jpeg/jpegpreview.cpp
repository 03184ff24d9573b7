// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/preview.h"

#include "core/bytes.h"
#include "imaging/colour/profiles.h"
#include "imaging/colour/screencolours.h"
#include "imaging/jpeg/jpegcolour.h"
#include "imaging/jpeg/jpegfailure.h"
#include "imaging/pictureload.h"

#include <QColorSpace>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <unistd.h>

namespace tovik {

namespace {
constexpr unsigned Exif = JPEG_APP0 + 1, Icc = JPEG_APP0 + 2;

// The EXIF orientation tag (0x0112) of IFD0, as the transformation that turns the picture
// upright; none when there is no such tag or it says something else.
QImageIOHandler::Transformations exifTurn(const jpeg_saved_marker_ptr exif) {
    using T = QImageIOHandler::Transformation;
    if (!exif || exif->data_length < 14)
        return T::TransformationNone;
    const ByteView b(exif->data + 6, exif->data_length - 6);
    if (!ByteView(exif->data, 6).has(0, "Exif\0\0", 6) || !(b.has(0, "II", 2) || b.has(0, "MM", 2)))
        return T::TransformationNone;
    const bool little = b.u8(0) == 'I';
    const auto u16 = [&](qint64 at) { return little ? b.le16(at) : b.be16(at); };
    const auto u32 = [&](qint64 at) { return little ? b.le32(at) : b.be32(at); };
    const qint64 ifd = u32(4);
    for (quint32 i = 0, count = u16(ifd); i < count && i < 1000; ++i) {
        const qint64 entry = ifd + 2 + 12 * qint64(i);
        if (u16(entry) != 0x0112)
            continue;
        static constexpr T turns[] = {T::TransformationNone,
                                      T::TransformationMirror,
                                      T::TransformationRotate180,
                                      T::TransformationFlip,
                                      T::TransformationFlipAndRotate90,
                                      T::TransformationRotate90,
                                      T::TransformationMirrorAndRotate90,
                                      T::TransformationRotate270};
        const quint32 value = u16(entry + 8);
        return value >= 1 && value <= 8 ? turns[value - 1] : T::TransformationNone;
    }
    return T::TransformationNone;
}

jpeg_saved_marker_ptr savedMarker(const jpeg_decompress_struct& info, unsigned marker) {
    for (jpeg_saved_marker_ptr m = info.marker_list; m; m = m->next)
        if (m->marker == marker)
            return m;
    return nullptr;
}
} // namespace

struct JpegPreview::Decoder {
    jpeg_decompress_struct info{};
    JpegFailure failure{};
    std::FILE* file = nullptr;
    QImageIOHandler::Transformations turn;
    QByteArray icc;

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
        jpeg_save_markers(&info, Exif, 0xffff);
        jpeg_save_markers(&info, Icc, 0xffff);
        if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK)
            return false;
        return !info.progressive_mode && !jpeg_has_multiple_scans(&info) &&
               info.num_components == 3 &&
               (info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_RGB);
    }

    void readProfile() {
        JOCTET* data = nullptr;
        unsigned int length = 0;
        if (setjmp(failure.jump) == 0 && jpeg_read_icc_profile(&info, &data, &length) &&
            length <= MaxProfileBytes)
            icc = QByteArray(reinterpret_cast<const char*>(data), qsizetype(length));
        std::free(data);
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
    m_decoder->turn = exifTurn(savedMarker(m_decoder->info, Exif));
    m_decoder->readProfile();
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
    const BandConversion convert =
        d.icc.isEmpty()
            ? BandConversion()
            : screenConversion(QColorSpace::fromIccProfile(d.icc), QImage::Format_RGB32);
    if (convert)
        convert(image.bits(), image.width(), rows, image.bytesPerLine());
    for (int y = rows; y < image.height(); ++y)
        std::fill_n(reinterpret_cast<QRgb*>(image.scanLine(y)), image.width(), fill);
    return upright(image, d.turn);
}

} // namespace tovik
