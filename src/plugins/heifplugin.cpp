// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "plugins/heifplugin.h"

#include "plugins/heifboxes.h"
#include "plugins/primaries.h"
#include "plugins/profiles.h"

#include <libheif/heif.h>

#include <cstring>
#include <memory>

namespace tovik {

namespace {
// The longest side libheif decodes, a panorama's: it checks the coded stream's own size against
// this before the decoder allocates for it, which a file whose stream claims far more than its
// boxes say (found by fuzzing: 500 bytes that took libde265 9 s and 3 GB) would otherwise pass.
constexpr int MaxSide = 1 << 14;

template <typename T, void (*Free)(T*)> struct Freed {
    void operator()(T* p) const { Free(p); }
};
template <typename T, void (*Free)(T*)> using Owned = std::unique_ptr<T, Freed<T, Free>>;
using Context = Owned<heif_context, heif_context_free>;
using Handle = Owned<const heif_image_handle, heif_image_handle_release>;
using Image = Owned<const heif_image, heif_image_release>;
using Options = Owned<heif_decoding_options, heif_decoding_options_free>;
using Nclx = Owned<heif_color_profile_nclx, heif_nclx_color_profile_free>;

bool ok(const heif_error& error) {
    return error.code == heif_error_Ok;
}

const uint8_t* bytesOf(const QByteArray& data) {
    return reinterpret_cast<const uint8_t*>(data.constData());
}

// An image sequence (an AVIF or HEIF animation, which libheif 1.15 does not read) that also holds
// a still picture as an item (the mif1 brand, as avifenc writes one) is read for that picture.
QByteArray sniff(const QByteArray& head) {
    const heif_filetype_result type = heif_check_filetype(bytesOf(head), int(head.size()));
    const bool still = type == heif_filetype_yes_supported ||
                       (type == heif_filetype_yes_unsupported &&
                        heif_has_compatible_brand(bytesOf(head), int(head.size()), "mif1") == 1);
    if (!still)
        return {};
    return heif_has_compatible_brand(bytesOf(head), int(head.size()), "avif") ? "avif" : "heif";
}

// The context must outlive the handle: libheif's handle points into it.
struct Opened {
    Context context;
    Handle primary;
};

Opened open(const QByteArray& file) {
    Opened opened{Context(heif_context_alloc()), nullptr};
    if (!heifWithinBounds(file))
        return opened; // answered at once, before libheif reads every item
    heif_context* context = opened.context.get();
    heif_context_set_maximum_image_size_limit(context, MaxSide);
    heif_image_handle* primary = nullptr;
    if (ok(heif_context_read_from_memory_without_copy(context, file.constData(),
                                                      size_t(file.size()), nullptr)) &&
        ok(heif_context_get_primary_image_handle(context, &primary)))
        opened.primary.reset(primary);
    return opened;
}

// libheif holds the planes at the coded depth (3 colour, 1 alpha) and an interleaved RGBA copy
// at that depth, then, for a deep picture, one at 8 bits; the picture handed on is one more.
// A picture that claims no pixels is none.
FormatCost costOf(const heif_image_handle* primary) {
    const int sample = heif_image_handle_get_luma_bits_per_pixel(primary) > 8 ? 2 : 1;
    const int planes = 4 * sample, interleaved = 4 * sample + (sample > 1 ? 4 : 0);
    const QSize size(heif_image_handle_get_width(primary), heif_image_handle_get_height(primary));
    return {size.isEmpty() ? QSize() : size, planes + interleaved + 4};
}

// A grid is what its own description assembles, which must be what its boxes claim: libheif
// would allocate for the description, whatever the claim.
FormatCost costOf(const Opened& opened, const QByteArray& file) {
    if (!opened.primary)
        return {};
    const FormatCost claimed = costOf(opened.primary.get());
    const QSize grid = heifGridSize(file);
    return grid.isValid() && grid != claimed.size ? FormatCost{} : claimed;
}

FormatCost cost(const QByteArray& file) {
    return costOf(open(file), file);
}

QColorSpace::TransferFunction transferOf(heif_transfer_characteristics stated, float* gamma) {
    switch (stated) {
    case heif_transfer_characteristic_linear:
        return QColorSpace::TransferFunction::Linear;
    case heif_transfer_characteristic_ITU_R_BT_470_6_System_M:
        *gamma = 2.2f;
        return QColorSpace::TransferFunction::Gamma;
    case heif_transfer_characteristic_ITU_R_BT_470_6_System_B_G:
        *gamma = 2.8f;
        return QColorSpace::TransferFunction::Gamma;
    default: // sRGB, and the video curves close to it
        return QColorSpace::TransferFunction::SRgb;
    }
}

void setNclxColourSpace(const heif_image_handle* primary, QImage& image) {
    heif_color_profile_nclx* stated = nullptr;
    if (!ok(heif_image_handle_get_nclx_color_profile(primary, &stated)) || !stated)
        return;
    const Nclx nclx(stated);
    if (nclx->color_primaries == heif_color_primaries_unspecified)
        return;
    StatedPrimaries primaries{{nclx->color_primary_white_x, nclx->color_primary_white_y},
                              {nclx->color_primary_red_x, nclx->color_primary_red_y},
                              {nclx->color_primary_green_x, nclx->color_primary_green_y},
                              {nclx->color_primary_blue_x, nclx->color_primary_blue_y}};
    primaries.transfer = transferOf(nclx->transfer_characteristics, &primaries.gamma);
    image.setColorSpace(colourSpaceOf(primaries));
}

// An ICC profile (rICC or prof) where the file has one, else its nclx chromaticities.
void setColourSpace(const heif_image_handle* primary, QImage& image) {
    const size_t iccBytes = heif_image_handle_get_raw_color_profile_size(primary);
    if (iccBytes == 0 || iccBytes > MaxProfileBytes)
        return setNclxColourSpace(primary, image);
    QByteArray icc(qsizetype(iccBytes), Qt::Uninitialized);
    if (ok(heif_image_handle_get_raw_color_profile(primary, icc.data())))
        setProfile(image, icc);
}

QImage copied(const heif_image* decoded, bool alpha) {
    const int width = heif_image_get_width(decoded, heif_channel_interleaved);
    const int height = heif_image_get_height(decoded, heif_channel_interleaved);
    int stride = 0;
    const uint8_t* rows = heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    QImage image;
    if (!rows ||
        !QImageIOHandler::allocateImage(
            {width, height}, alpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888, &image))
        return {};
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), rows + qsizetype(y) * stride, size_t(width) * 4);
    image.convertTo(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32); // in place
    return image;
}

QImage decode(const QByteArray& file) {
    const Opened opened = open(file);
    const heif_image_handle* primary = opened.primary.get();
    if (!primary || !withinAllocationLimit(costOf(opened, file)))
        return {};
    const Options options(heif_decoding_options_alloc());
    options->convert_hdr_to_8bit = 1;
    heif_image* decoded = nullptr;
    if (!ok(heif_decode_image(primary, &decoded, heif_colorspace_RGB, heif_chroma_interleaved_RGBA,
                              options.get())))
        return {};
    const Image owned(decoded);
    // The coded stream must be the picture its boxes describe: its size is what was budgeted,
    // and what the sheet lays out without decoding it.
    if (QSize(heif_image_get_width(decoded, heif_channel_interleaved),
              heif_image_get_height(decoded, heif_channel_interleaved)) != costOf(primary).size)
        return {};
    QImage image = copied(decoded, heif_image_handle_has_alpha_channel(primary));
    if (!image.isNull())
        setColourSpace(primary, image);
    return image;
}
} // namespace

const WholeFileFormat Heif{sniff, cost, decode};

} // namespace tovik
