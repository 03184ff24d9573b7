// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "plugins/rawplugin.h"

#include "core/bytes.h"
#include "plugins/rawembedded.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImageReader>

#include <libraw/libraw.h>
#include <turbojpeg.h>

#include <algorithm>
#include <memory>

namespace tovik {

namespace {
// What developing costs a pixel: LibRaw's working image (four 16-bit channels), its 8-bit output
// and our copy of it; and a photosite of the mosaic, unpacked at 16 bits.
constexpr qint64 DevelopedBytesPerPixel = 8 + 3 + 4, PhotositeBytes = 2;

// A file LibRaw has read the headers of; null when it is none of its RAWs. LibRaw reads the
// file's bytes where they are (they outlive it), within the allocation limit Qt's readers share.
// LibRaw, and where it found the preview in the file, which it keeps to itself.
class Located : public LibRaw {
public:
    Located() : LibRaw(LIBRAW_OPTIONS_NONE) {}
    qint64 previewOffset() const { return libraw_internal_data.internal_data.toffset; }
};

std::unique_ptr<Located> identified(const QByteArray& file) {
    auto raw = std::make_unique<Located>();
    const int limitMB = QImageReader::allocationLimit();
    if (limitMB > 0)
        raw->imgdata.params.max_raw_memory_mb = unsigned(limitMB);
    void* bytes = const_cast<char*>(file.constData());
    if (raw->open_buffer(bytes, size_t(file.size())) != LIBRAW_SUCCESS)
        return nullptr;
    const libraw_image_sizes_t& s = raw->imgdata.sizes;
    return s.width > 0 && s.height > 0 && s.raw_width > 0 ? std::move(raw) : nullptr;
}

QSize sensorOf(const LibRaw& raw) {
    return {raw.imgdata.sizes.width, raw.imgdata.sizes.height};
}

QSize previewOf(const LibRaw& raw) {
    return {raw.imgdata.thumbnail.twidth, raw.imgdata.thumbnail.theight};
}

// Whether the camera's preview stands in for the picture: for the whole picture when its long side
// is at least half the sensor's, for a smaller one when it covers it.
bool previewServes(const LibRaw& raw, QSize wanted) {
    const QSize preview = previewOf(raw), sensor = sensorOf(raw);
    if (preview.isEmpty() || raw.imgdata.thumbnail.tlength == 0)
        return false;
    if (wanted.isValid())
        return preview.width() >= wanted.width() && preview.height() >= wanted.height();
    return 2 * std::max(preview.width(), preview.height()) >=
           std::max(sensor.width(), sensor.height());
}

// A JPEG decoded by libjpeg-turbo at the smallest DCT scale that still covers wanted, when that
// is below its own size: far less work than a whole decode. Null otherwise.
QImage atDctScale(const QByteArray& jpeg, QSize wanted) {
    if (!wanted.isValid())
        return {};
    tjhandle tj = tjInitDecompress();
    const auto* bytes = reinterpret_cast<const unsigned char*>(jpeg.constData());
    int width = 0, height = 0, sampling = 0, colours = 0;
    QImage image;
    if (tjDecompressHeader3(tj, bytes, (unsigned long)jpeg.size(), &width, &height, &sampling,
                            &colours) == 0) {
        int count = 0;
        const tjscalingfactor* factors = tjGetScalingFactors(&count);
        QSize best(width, height);
        for (int i = 0; i < count; ++i) {
            const QSize scaled(TJSCALED(width, factors[i]), TJSCALED(height, factors[i]));
            if (scaled.width() >= wanted.width() && scaled.height() >= wanted.height() &&
                scaled.width() < best.width())
                best = scaled;
        }
        if (best.width() < width) {
            image = QImage(best, QImage::Format_RGB32);
            if (tjDecompress2(tj, bytes, (unsigned long)jpeg.size(), image.bits(), best.width(),
                              int(image.bytesPerLine()), best.height(), TJPF_BGRX, 0) != 0)
                image = {};
        }
    }
    tjDestroy(tj);
    return image;
}

// A JPEG in memory decoded at the DCT scale nearest above wanted (and then scaled to it) when
// that is smaller, else whole or scaled to wanted by Qt's reader.
QImage decodedJpeg(QByteArray jpeg, QSize wanted) {
    if (QImage scaled = atDctScale(jpeg, wanted); !scaled.isNull())
        return scaled;
    QBuffer buffer(&jpeg);
    QImageReader reader(&buffer, "jpeg");
    if (wanted.isValid())
        reader.setScaledSize(wanted);
    return reader.read();
}

// Rows of 8-bit RGB, packed, as a picture of its own.
QImage rgbRows(const void* rows, QSize size) {
    return QImage(static_cast<const uchar*>(rows), size.width(), size.height(), size.width() * 3,
                  QImage::Format_RGB888)
        .convertToFormat(QImage::Format_RGB32);
}

// The preview, as the camera stored it (a JPEG, or 8-bit RGB), decoded for wanted; null when it
// is not whole.
QImage previewImage(LibRaw& raw, QSize wanted) {
    if (raw.unpack_thumb() != LIBRAW_SUCCESS)
        return {};
    const libraw_thumbnail_t& t = raw.imgdata.thumbnail;
    if (!t.thumb)
        return {};
    if (t.tformat == LIBRAW_THUMBNAIL_JPEG)
        return decodedJpeg(QByteArray::fromRawData(t.thumb, qsizetype(t.tlength)), wanted);
    if (t.tformat != LIBRAW_THUMBNAIL_BITMAP ||
        qint64(t.tlength) < qint64(t.twidth) * t.theight * 3)
        return {};
    return rgbRows(t.thumb, {t.twidth, t.theight});
}

// The embedded pictures with the JPEGs' sizes read from their headers; a JPEG whose header does
// not read is left out.
QList<EmbeddedPicture> sized(const QByteArray& file, const QList<EmbeddedPicture>& pictures) {
    QList<EmbeddedPicture> out;
    tjhandle tj = tjInitDecompress();
    for (EmbeddedPicture p : pictures) {
        if (p.jpeg) {
            const auto* stream =
                reinterpret_cast<const unsigned char*>(file.constData()) + p.pieces.first().first;
            int width = 0, height = 0, sampling = 0, colours = 0;
            if (tjDecompressHeader3(tj, stream, (unsigned long)p.pieces.first().second, &width,
                                    &height, &sampling, &colours) != 0)
                continue;
            p.size = QSize(width, height);
        }
        out << p;
    }
    tjDestroy(tj);
    return out;
}

// An embedded picture decoded for wanted: a JPEG as decodedJpeg does, RGB rows as they are.
QImage embeddedImage(const QByteArray& file, const EmbeddedPicture& picture, QSize wanted) {
    if (picture.jpeg)
        return decodedJpeg(QByteArray::fromRawData(file.constData() + picture.pieces.first().first,
                                                   qsizetype(picture.pieces.first().second)),
                           wanted);
    QByteArray rows;
    for (const auto& [at, length] : picture.pieces)
        rows.append(file.constData() + at, qsizetype(length));
    return rgbRows(rows.constData(), picture.size);
}

// The mosaic developed as a camera's own software would at its plainest: the white balance the
// camera measured, sRGB, 8 bits; the picture as stored, not turned.
QImage developed(LibRaw& raw, bool half) {
    libraw_output_params_t& p = raw.imgdata.params;
    p.use_camera_wb = 1;
    p.output_color = 1; // sRGB
    p.output_bps = 8;
    p.half_size = half ? 1 : 0;
    p.user_flip = 0;
    if (raw.unpack() != LIBRAW_SUCCESS || raw.dcraw_process() != LIBRAW_SUCCESS)
        return {};
    int error = 0;
    libraw_processed_image_t* made = raw.dcraw_make_mem_image(&error);
    if (!made)
        return {};
    QImage image;
    if (made->type == LIBRAW_IMAGE_BITMAP && made->colors == 3 && made->bits == 8)
        image = rgbRows(made->data, {made->width, made->height});
    LibRaw::dcraw_clear_mem(made);
    image.setColorSpace(QColorSpace::SRgb);
    return image;
}

// Whether the preview stands for the whole picture and lies whole within the file as a JPEG.
bool servingJpegIntact(const Located& raw, const QByteArray& file) {
    const qint64 at = raw.previewOffset(), length = raw.imgdata.thumbnail.tlength;
    const ByteView b(file.constData(), size_t(file.size()));
    return previewServes(raw, {}) && at > 0 && length >= 4 && length <= file.size() - at &&
           b.has(at, "\xff\xd8\xff", 3);
}

// A smaller picture wanted is developed at half size where that still covers it.
QImage decodeNear(const QByteArray& file, QSize wanted) {
    const std::unique_ptr<Located> raw = identified(file);
    if (!raw)
        return {};
    // Cameras keep pictures of several sizes: the smallest that covers a smaller picture wanted
    // (a sheet's thumbnail) is far less work than the preview the size of the sensor.
    // Only where the whole picture would be shown from its preview: a file the window refuses
    // gives the sheet no picture either.
    if (wanted.isValid() && servingJpegIntact(*raw, file)) {
        const auto smallest =
            smallestCovering(sized(file, embeddedPictures(file)), wanted, sensorOf(*raw));
        if (QImage image = smallest ? embeddedImage(file, *smallest, wanted) : QImage();
            !image.isNull())
            return image;
    }
    // A preview that was to serve and is broken is no picture: developing instead would take
    // more than was budgeted for it.
    if (previewServes(*raw, wanted))
        return previewImage(*raw, wanted);
    const QSize sensor = sensorOf(*raw);
    const bool half = wanted.isValid() && 2 * wanted.width() <= sensor.width() &&
                      2 * wanted.height() <= sensor.height();
    return developed(*raw, half);
}

QImage decode(const QByteArray& file) {
    return decodeNear(file, {});
}

FormatCost cost(const QByteArray& file) {
    const std::unique_ptr<Located> raw = identified(file);
    if (!raw)
        return {};
    if (previewServes(*raw, {}))
        return {previewOf(*raw), 4 + 4}; // the decoded JPEG and our copy
    const QSize sensor = sensorOf(*raw);
    const libraw_image_sizes_t& s = raw->imgdata.sizes;
    const qint64 pixels = qint64(sensor.width()) * sensor.height();
    const qint64 bytes =
        qint64(s.raw_width) * s.raw_height * PhotositeBytes + pixels * DevelopedBytesPerPixel;
    return {sensor, int((bytes + pixels - 1) / pixels)};
}

// LibRaw's flip (bit 4 sideways, 2 upside down, 1 mirrored) as the EXIF orientation it came from.
int orientationOf(const LibRaw& raw) {
    static const int byFlip[8] = {1, 2, 4, 3, 5, 8, 6, 7};
    return byFlip[raw.imgdata.sizes.flip & 7];
}

QImageIOHandler::Transformations turn(const QByteArray& file) {
    using T = QImageIOHandler::Transformation;
    const std::unique_ptr<Located> raw = identified(file);
    if (!raw)
        return T::TransformationNone;
    static const T byOrientation[9] = {
        T::TransformationNone,     T::TransformationNone,
        T::TransformationMirror,   T::TransformationRotate180,
        T::TransformationFlip,     T::TransformationFlipAndRotate90,
        T::TransformationRotate90, T::TransformationMirrorAndRotate90,
        T::TransformationRotate270};
    return byOrientation[orientationOf(*raw)];
}

QByteArray sniff(const QByteArray& head) {
    return mayBeCameraRaw(head) ? QByteArrayLiteral("raw") : QByteArray();
}
} // namespace

EmbeddedJpeg embeddedJpeg(const QByteArray& file) {
    const std::unique_ptr<Located> raw = identified(file);
    if (!raw || !servingJpegIntact(*raw, file))
        return {};
    return {raw->previewOffset(), qint64(raw->imgdata.thumbnail.tlength), orientationOf(*raw),
            previewOf(*raw)};
}

bool isCameraRaw(const QByteArray& file) {
    if (laidOutAsCameraRaw(file))
        return true;
    return mayBeCameraRaw(file.left(64)) && identified(file) != nullptr;
}

const WholeFileFormat Raw{sniff, cost, decode, decodeNear, turn, true};

} // namespace tovik
