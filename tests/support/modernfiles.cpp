// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "support/modernfiles.h"

#include <jxl/encode_cxx.h>
#include <lcms2.h>
#include <libheif/heif.h>
#include <turbojpeg.h>

#include <cstdio> // before jpeglib.h, which needs FILE
#include <jpeglib.h>

#include <QBuffer>
#include <QImageWriter>
#include <QPointF>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace tovik::test {

namespace {
heif_error appended(heif_context*, const void* data, size_t size, void* out) {
    static_cast<QByteArray*>(out)->append(static_cast<const char*>(data), qsizetype(size));
    return {heif_error_Ok, heif_suberror_Unspecified, ""};
}

// The picture's RGB at depth bits, interleaved as libheif takes it.
heif_image* heifImage(const QImage& picture, int depth) {
    heif_image* image = nullptr;
    const int w = picture.width(), h = picture.height();
    heif_image_create(w, h, heif_colorspace_RGB,
                      depth > 8 ? heif_chroma_interleaved_RRGGBB_LE : heif_chroma_interleaved_RGB,
                      &image);
    heif_image_add_plane(image, heif_channel_interleaved, w, h, depth);
    int stride = 0;
    uint8_t* rows = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QRgb c = picture.pixel(x, y);
            const int channels[] = {qRed(c), qGreen(c), qBlue(c)};
            for (int k = 0; k < 3; ++k) {
                if (depth == 8) {
                    rows[y * stride + 3 * x + k] = uint8_t(channels[k]);
                } else {
                    const int v = channels[k] << (depth - 8) | channels[k] >> (16 - depth);
                    rows[y * stride + 6 * x + 2 * k] = uint8_t(v & 0xff);
                    rows[y * stride + 6 * x + 2 * k + 1] = uint8_t(v >> 8);
                }
            }
        }
    return image;
}

struct ProfileClose {
    void operator()(void* p) const { cmsCloseProfile(p); }
};
using Profile = std::unique_ptr<void, ProfileClose>;

QByteArray saved(cmsHPROFILE profile) {
    cmsUInt32Number bytes = 0;
    cmsSaveProfileToMem(profile, nullptr, &bytes);
    QByteArray icc(qsizetype(bytes), '\0');
    cmsSaveProfileToMem(profile, icc.data(), &bytes);
    return icc;
}

QRgb transformed(const QByteArray& icc, cmsUInt32Number format, const void* in) {
    const Profile from(cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size())));
    const Profile to(cmsCreate_sRGBProfile());
    cmsHTRANSFORM t =
        cmsCreateTransform(from.get(), format, to.get(), TYPE_RGB_8, INTENT_PERCEPTUAL, 0);
    unsigned char out[3] = {};
    cmsDoTransform(t, in, out, 1);
    cmsDeleteTransform(t);
    return qRgb(out[0], out[1], out[2]);
}

void putBits(std::vector<bool>& bits, quint64 value, int count) {
    for (int i = 0; i < count; ++i)
        bits.push_back((value >> i) & 1);
}
} // namespace

QByteArray heifFile(const QImage& picture, HeifCodec codec, int orientation, int depth,
                    const QByteArray& icc) {
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_context_get_encoder_for_format(
        context, codec == HeifCodec::Hevc ? heif_compression_HEVC : heif_compression_AV1, &encoder);
    heif_encoder_set_lossy_quality(encoder, 95);
    heif_image* image = heifImage(picture, depth);
    if (!icc.isEmpty())
        heif_image_set_raw_color_profile(image, "prof", icc.constData(), size_t(icc.size()));
    heif_encoding_options* options = heif_encoding_options_alloc();
    options->image_orientation = heif_orientation(orientation);
    heif_context_encode_image(context, image, encoder, options, nullptr);
    QByteArray file;
    heif_writer writer{1, appended};
    heif_context_write(context, &writer, &file);
    heif_encoding_options_free(options);
    heif_image_release(image);
    heif_encoder_release(encoder);
    heif_context_free(context);
    return file;
}

QByteArray withClaimedHeifSize(QByteArray heif, quint32 width, quint32 height) {
    const qsizetype at = heif.indexOf("ispe");
    for (int i = 0; i < 4; ++i) { // after the box type, a version and flags word
        heif[at + 8 + i] = char(width >> (24 - 8 * i));
        heif[at + 12 + i] = char(height >> (24 - 8 * i));
    }
    return heif;
}

namespace {
quint32 be32At(const QByteArray& b, qsizetype at) {
    return quint32(uchar(b[at])) << 24 | quint32(uchar(b[at + 1])) << 16 |
           quint32(uchar(b[at + 2])) << 8 | uchar(b[at + 3]);
}
void putBe(QByteArray& b, qsizetype at, quint64 value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b[at + i] = char(value >> (8 * (bytes - 1 - i)));
}
quint64 beAt(const QByteArray& b, qsizetype at, int bytes) {
    quint64 value = 0;
    for (int i = 0; i < bytes; ++i)
        value = value << 8 | uchar(b[at + i]);
    return value;
}

// The layout of an iloc box (at its size field), and where its item entries start.
struct ItemLocations {
    int version, offsetSize, lengthSize, baseSize, indexSize, idSize;
    qsizetype items; // where the entries start
    quint64 count;
    explicit ItemLocations(const QByteArray& heif, qsizetype iloc)
        : version(uchar(heif[iloc + 8])), offsetSize(uchar(heif[iloc + 12]) >> 4),
          lengthSize(uchar(heif[iloc + 12]) & 15), baseSize(uchar(heif[iloc + 13]) >> 4),
          indexSize(version > 0 ? uchar(heif[iloc + 13]) & 15 : 0), idSize(version < 2 ? 2 : 4),
          items(iloc + 14 + idSize), count(beAt(heif, iloc + 14, idSize)) {}
    // Calls visit(where its base offset is, where its extents start, extent count, method) for
    // each entry; returns where the entries end.
    template <typename Visit> qsizetype each(const QByteArray& heif, Visit visit) const {
        qsizetype at = items;
        for (quint64 i = 0; i < count; ++i) {
            at += idSize;
            const int method = version > 0 ? uchar(heif[at + 1]) & 15 : 0;
            at += (version > 0 ? 2 : 0) + 2;
            const qsizetype base = at;
            at += baseSize;
            const quint64 extents = beAt(heif, at, 2);
            visit(base, at + 2, extents, method);
            at += 2 + qsizetype(extents) * (indexSize + offsetSize + lengthSize);
        }
        return at;
    }
};

// Moves the file offsets of an iloc box on by shift: its items' data follow.
void shiftItemLocations(QByteArray& heif, qsizetype iloc, quint64 shift) {
    const ItemLocations l(heif, iloc);
    l.each(heif, [&](qsizetype base, qsizetype at, quint64 extents, int method) {
        if (method != 0)
            return;
        if (l.baseSize > 0)
            return putBe(heif, base, beAt(heif, base, l.baseSize) + shift, l.baseSize);
        for (quint64 e = 0; e < extents; ++e, at += l.indexSize + l.offsetSize + l.lengthSize)
            putBe(heif, at + l.indexSize, beAt(heif, at + l.indexSize, l.offsetSize) + shift,
                  l.offsetSize);
    });
}

// Inserts bytes at `at`, within the boxes (at their size fields) that hold it.
void insertWithin(QByteArray& heif, qsizetype at, const QByteArray& bytes,
                  std::initializer_list<qsizetype> boxes) {
    for (const qsizetype box : boxes)
        putBe(heif, box, be32At(heif, box) + quint64(bytes.size()), 4);
    heif.insert(at, bytes);
}
} // namespace

QByteArray withGridOutputSize(QByteArray heic, quint16 width, quint16 height) {
    const qsizetype idat = heic.indexOf("idat");
    if (idat < 0)
        return heic;                 // no grid
    const qsizetype grid = idat + 4; // version, flags, rows - 1, columns - 1, width, height
    putBe(heic, grid + 4, width, 2);
    putBe(heic, grid + 6, height, 2);
    return heic;
}

QByteArray withExtraHeifItems(QByteArray heif, int count) {
    const qsizetype meta = heif.indexOf("meta") - 4;
    // Each new item is located where the first one is: many items over one stream.
    qsizetype iloc = heif.indexOf("iloc") - 4;
    const ItemLocations locations(heif, iloc);
    const qsizetype entriesEnd = locations.each(heif, [](auto...) {});
    ItemLocations one = locations;
    one.count = 1;
    const QByteArray first =
        heif.mid(locations.items, one.each(heif, [](auto...) {}) - locations.items);
    QByteArray located;
    for (int i = 0; i < count; ++i) {
        QByteArray entry = first;
        putBe(entry, 0, quint64(1000 + i), locations.idSize);
        located += entry;
    }
    putBe(heif, iloc + 14, locations.count + quint64(count), locations.idSize);
    insertWithin(heif, entriesEnd, located, {meta, iloc});
    // Items of a type nobody reads (version 2 item entries, empty names), after the others.
    QByteArray entries;
    for (int i = 0; i < count; ++i) {
        QByteArray entry(21, '\0');
        putBe(entry, 0, 21, 4);
        entry.replace(4, 4, "infe");
        entry[8] = 2;
        putBe(entry, 12, quint64(1000 + i), 2);
        entry.replace(16, 4, "junk");
        entries += entry;
    }
    const qsizetype iinf = heif.indexOf("iinf") - 4;
    const bool wide = heif[iinf + 8] != 0;
    putBe(heif, iinf + 12, beAt(heif, iinf + 12, wide ? 4 : 2) + quint64(count), wide ? 4 : 2);
    insertWithin(heif, iinf + be32At(heif, iinf), entries, {meta, iinf});
    iloc = heif.indexOf("iloc") - 4;
    shiftItemLocations(heif, iloc, quint64(located.size() + entries.size()));
    return heif;
}

QByteArray heicWithHugeStream() {
    return QByteArray::fromHex("0000001c6674797068656963000000006d696631686569636d696166000001ac6d6"
                               "57461000000000000002168646c72"
                               "000000000000000070696374000000000000000000000000000000000e7069746d0"
                               "00000000002000000106964617400"
                               "000000004000f700000038696c6f630100000044400002000100000000000001d00"
                               "001000000000000001e0002000100"
                               "0000000000000100000000000000080000003869696e66000000000002000000156"
                               "96e66650200000100010000696f76"
                               "6c0000000015696e666502000000000200006772696400000000d76970727000000"
                               "0b56970636f000000756876634301"
                               "04080000000000000000001ef000fcfdfafa00000f03200001001740010c01ffff0"
                               "408000003009db800000300001eba"
                               "0240210001002a4201010408000003009db800000300001ea0208104d96eae4a6b9"
                               "b8101030200000300020000030002"
                               "1022000100064401c173c0890000001469737065000000000000004000000040000"
                               "00014697370650000000000000040"
                               "00000030000000107069786900000000030a0a0a0000001a69706d6100000000000"
                               "00002000102810200020203840000"
                               "001a69726566000000000000000e64696d67000200010001000000266d646174000"
                               "0001a2801af06b89189d27fc5837f"
                               "7bf8148ffffdf25411e9087c003f");
}

QByteArray jxlFile(const QImage& picture, JxlColours colours, const QByteArray& icc,
                   int orientation, float distance) {
    const JxlEncoderPtr encoder = JxlEncoderMake(nullptr);
    JxlBasicInfo info;
    JxlEncoderInitBasicInfo(&info);
    info.xsize = uint32_t(picture.width());
    info.ysize = uint32_t(picture.height());
    info.bits_per_sample = 8;
    info.orientation = JxlOrientation(orientation);
    info.uses_original_profile = distance == 0;
    JxlEncoderSetBasicInfo(encoder.get(), &info);
    if (colours == JxlColours::Icc) {
        JxlEncoderSetICCProfile(encoder.get(), reinterpret_cast<const uint8_t*>(icc.constData()),
                                size_t(icc.size()));
    } else {
        JxlColorEncoding encoding;
        JxlColorEncodingSetToSRGB(&encoding, JXL_FALSE);
        if (colours == JxlColours::DisplayP3)
            encoding.primaries = JXL_PRIMARIES_P3;
        JxlEncoderSetColorEncoding(encoder.get(), &encoding);
    }
    JxlEncoderFrameSettings* settings = JxlEncoderFrameSettingsCreate(encoder.get(), nullptr);
    if (distance == 0)
        JxlEncoderSetFrameLossless(settings, JXL_TRUE);
    else
        JxlEncoderSetFrameDistance(settings, distance);
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    std::vector<uint8_t> pixels;
    for (int y = 0; y < rgb.height(); ++y)
        pixels.insert(pixels.end(), rgb.constScanLine(y), rgb.constScanLine(y) + 3 * rgb.width());
    const JxlPixelFormat format{3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    JxlEncoderAddImageFrame(settings, &format, pixels.data(), pixels.size());
    JxlEncoderCloseInput(encoder.get());
    QByteArray file(1 << 16, '\0');
    uint8_t* next = reinterpret_cast<uint8_t*>(file.data());
    size_t left = size_t(file.size());
    while (JxlEncoderProcessOutput(encoder.get(), &next, &left) == JXL_ENC_NEED_MORE_OUTPUT) {
        const qsizetype done = file.size() - qsizetype(left);
        file.resize(file.size() * 2);
        next = reinterpret_cast<uint8_t*>(file.data()) + done;
        left = size_t(file.size() - done);
    }
    file.resize(file.size() - qsizetype(left));
    return file;
}

// The size header in its longest form (30-bit sides), then metadata all default.
QByteArray jxlHeader(quint32 width, quint32 height) {
    std::vector<bool> bits;
    putBits(bits, 0, 1); // not small
    putBits(bits, 3, 2), putBits(bits, height - 1, 30);
    putBits(bits, 0, 3); // no ratio: the width follows
    putBits(bits, 3, 2), putBits(bits, width - 1, 30);
    putBits(bits, 1, 1); // image metadata: all default
    QByteArray file("\xff\x0a", 2);
    file.append(QByteArray(qsizetype(bits.size() + 7) / 8 + 16, '\0'));
    for (size_t i = 0; i < bits.size(); ++i)
        if (bits[i])
            file[2 + qsizetype(i / 8)] = char(file[2 + qsizetype(i / 8)] | (1 << (i % 8)));
    return file;
}

QByteArray swappedRedAndGreenProfile() {
    // sRGB's primaries, red and green exchanged.
    return QColorSpace(QPointF(0.3127, 0.3290), QPointF(0.30, 0.60), QPointF(0.64, 0.33),
                       QPointF(0.15, 0.06), QColorSpace::TransferFunction::SRgb)
        .iccProfile();
}

QByteArray linearGrayProfile() {
    cmsToneCurve* linear = cmsBuildGamma(nullptr, 1.0);
    const Profile gray(cmsCreateGrayProfile(cmsD50_xyY(), linear));
    cmsFreeToneCurve(linear);
    return saved(gray.get());
}

QByteArray labGrayProfile() {
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
    const Profile gray(cmsCreateGrayProfile(cmsD50_xyY(), gamma));
    cmsFreeToneCurve(gamma);
    cmsSetPCS(gray.get(), cmsSigLabData); // the curve gives L*, which Qt does not read
    return saved(gray.get());
}

// A CLUT from CMYK to Lab over a 2-point grid: each ink takes away its third of the light.
QByteArray simpleCmykProfile() {
    const Profile lab(cmsCreateLab4Profile(nullptr));
    const Profile srgb(cmsCreate_sRGBProfile());
    cmsHTRANSFORM toLab =
        cmsCreateTransform(srgb.get(), TYPE_RGB_DBL, lab.get(), TYPE_Lab_DBL, INTENT_PERCEPTUAL, 0);
    cmsStage* clut = cmsStageAllocCLut16bit(nullptr, 2, 4, 3, nullptr);
    const auto sample = [](const cmsUInt16Number in[], cmsUInt16Number out[], void* t) -> int {
        const double k = 1 - in[3] / 65535.0;
        const double rgb[3] = {(1 - in[0] / 65535.0) * k, (1 - in[1] / 65535.0) * k,
                               (1 - in[2] / 65535.0) * k};
        cmsCIELab l;
        cmsDoTransform(static_cast<cmsHTRANSFORM>(t), rgb, &l, 1);
        cmsFloat2LabEncodedV2(out, &l);
        return 1;
    };
    cmsStageSampleCLut16bit(clut, sample, toLab, 0);
    cmsDeleteTransform(toLab);
    const Profile cmyk(cmsCreateProfilePlaceholder(nullptr));
    cmsSetDeviceClass(cmyk.get(), cmsSigOutputClass);
    cmsSetColorSpace(cmyk.get(), cmsSigCmykData);
    cmsSetPCS(cmyk.get(), cmsSigLabData);
    cmsSetProfileVersion(cmyk.get(), 2.1); // its AToB0 a lut16, which takes a bare CLUT
    cmsPipeline* a2b = cmsPipelineAlloc(nullptr, 4, 3);
    cmsPipelineInsertStage(a2b, cmsAT_END, clut);
    cmsWriteTag(cmyk.get(), cmsSigAToB0Tag, a2b);
    cmsPipelineFree(a2b);
    cmsWriteTag(cmyk.get(), cmsSigMediaWhitePointTag, cmsD50_XYZ());
    return saved(cmyk.get());
}

QRgb lcmsToSrgb(const QByteArray& icc, QRgb rgb) {
    const unsigned char in[3] = {uchar(qRed(rgb)), uchar(qGreen(rgb)), uchar(qBlue(rgb))};
    const Profile from(cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size())));
    const bool gray = cmsGetColorSpace(from.get()) == cmsSigGrayData;
    return transformed(icc, gray ? TYPE_GRAY_8 : TYPE_RGB_8, in);
}

QRgb lcmsCmykToSrgb(const QByteArray& icc, const unsigned char cmyk[4]) {
    return transformed(icc, TYPE_CMYK_8, cmyk);
}

QByteArray withIccProfile(const QByteArray& jpeg, const QByteArray& icc, int chunkBytes,
                          int count) {
    const int chunks = int((icc.size() + chunkBytes - 1) / chunkBytes);
    QByteArray segments;
    for (int i = 0; i < chunks; ++i) {
        const QByteArray part = icc.mid(qsizetype(i) * chunkBytes, chunkBytes);
        const int length = 2 + 12 + 2 + int(part.size());
        segments += QByteArray("\xff\xe2", 2) + char(length >> 8) + char(length & 0xff);
        segments += QByteArray("ICC_PROFILE", 12) + char(i + 1) + char(count ? count : chunks);
        segments += part;
    }
    return jpeg.left(2) + segments + jpeg.mid(2);
}

namespace {
QByteArray le16(int value) {
    return QByteArray(1, char(value & 0xff)) + char((value >> 8) & 0xff);
}
QByteArray le32(quint32 value) {
    return le16(int(value & 0xffff)) + le16(int(value >> 16));
}
// An APP1 segment holding a little-endian TIFF structure.
QByteArray exifSegment(const QByteArray& tiff) {
    const QByteArray body = QByteArray("Exif\0\0", 6) + tiff;
    const int length = 2 + int(body.size());
    return QByteArray("\xff\xe1", 2) + char(length >> 8) + char(length & 0xff) + body;
}
// A directory of the given entries (12 bytes each) at offset at, then the next one's offset.
QByteArray directory(const QList<QByteArray>& entries, quint32 next) {
    QByteArray ifd = le16(int(entries.size()));
    for (const QByteArray& entry : entries)
        ifd += entry;
    return ifd + le32(next);
}
QByteArray orientationEntry(int type, quint32 count, quint32 value) {
    return le16(0x0112) + le16(type) + le32(count) + le32(value);
}
} // namespace

QByteArray withExifOrientation(const QByteArray& jpeg, int orientation, ExifForm form) {
    constexpr int Short = 3, Long = 4;
    const QByteArray header("II*\0\x08\0\0\0", 8);
    const QByteArray none = exifSegment(header + directory({}, 0));
    QByteArray segments;
    switch (form) {
    case ExifForm::Sound:
        segments =
            exifSegment(header + directory({orientationEntry(Short, 1, quint32(orientation))}, 0));
        break;
    case ExifForm::Long:
        segments =
            exifSegment(header + directory({orientationEntry(Long, 1, quint32(orientation))}, 0));
        break;
    case ExifForm::CountOfTwo:
        segments =
            exifSegment(header + directory({orientationEntry(Short, 2, quint32(orientation))}, 0));
        break;
    case ExifForm::InIfd1: // IFD0 (8) has no entry and points on to IFD1 (14)
        segments = exifSegment(header + directory({}, 14) +
                               directory({orientationEntry(Short, 1, quint32(orientation))}, 0));
        break;
    case ExifForm::InSecondApp1:
        segments = none + withExifOrientation(QByteArray("\xff\xd8", 2), orientation).mid(2);
        break;
    }
    return jpeg.left(2) + segments + jpeg.mid(2);
}

QByteArray libjpegFile(const QImage& picture,
                       const std::function<void(jpeg_compress_struct&)>& configure) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long bytes = 0;
    jpeg_mem_dest(&info, &out, &bytes);
    info.image_width = JDIMENSION(rgb.width());
    info.image_height = JDIMENSION(rgb.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    configure(info);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uchar*>(rgb.constScanLine(int(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    const QByteArray file(reinterpret_cast<const char*>(out), qsizetype(bytes));
    std::free(out);
    return file;
}

QByteArray progressiveJpegInBands(const QImage& picture, const QList<QPair<int, int>>& bands) {
    std::vector<jpeg_scan_info> scans{{3, {0, 1, 2}, 0, 0, 0, 0}}; // DC of all three first
    for (int component = 0; component < 3; ++component)
        for (const auto& [first, last] : bands)
            scans.push_back({1, {component}, first, last, 0, 0});
    return libjpegFile(picture, [&](jpeg_compress_struct& info) {
        info.scan_info = scans.data();
        info.num_scans = int(scans.size());
    });
}

QByteArray adobeCmykJpeg(int width, int height, const unsigned char cmyk[4]) {
    std::vector<unsigned char> inks(size_t(width) * height * 4);
    for (size_t i = 0; i < inks.size(); ++i)
        inks[i] = uchar(255 - cmyk[i % 4]);
    tjhandle encoder = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long bytes = 0;
    tjCompress2(encoder, inks.data(), width, 0, height, TJPF_CMYK, &out, &bytes, TJSAMP_444, 100,
                0);
    const QByteArray file(reinterpret_cast<const char*>(out), qsizetype(bytes));
    tjFree(out);
    tjDestroy(encoder);
    return file;
}

bool near(QRgb a, QRgb b, int tolerance) {
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance &&
           qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

QByteArray encoded(const QImage& image, const char* format, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    writer.write(image);
    return bytes;
}

} // namespace tovik::test
