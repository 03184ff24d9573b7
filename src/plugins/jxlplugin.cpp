// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "plugins/jxlplugin.h"

#include "plugins/primaries.h"
#include "plugins/profiles.h"

#include <jxl/decode_cxx.h>
#include <jxl/resizable_parallel_runner_cxx.h>

#include <algorithm>

namespace tovik {

namespace {
const uint8_t* bytesOf(const QByteArray& data) {
    return reinterpret_cast<const uint8_t*>(data.constData());
}

QByteArray sniff(const QByteArray& head) {
    const JxlSignature kind = JxlSignatureCheck(bytesOf(head), size_t(head.size()));
    return kind == JXL_SIG_CODESTREAM || kind == JXL_SIG_CONTAINER ? "jxl" : "";
}

// Orientations 5 to 8 swap the sides.
QSize shownSize(const JxlBasicInfo& info) {
    const QSize coded(int(std::min<uint32_t>(info.xsize, INT_MAX)),
                      int(std::min<uint32_t>(info.ysize, INT_MAX)));
    return info.orientation > JXL_ORIENT_ROTATE_180 ? coded.transposed() : coded;
}

// libjxl works in 32-bit planes, one a channel (two sets of them to blend an animation's frames),
// and writes the 8-bit picture handed on.
FormatCost costOf(const JxlBasicInfo& info) {
    const qint64 channels =
        std::min<qint64>(qint64(info.num_color_channels) + info.num_extra_channels, 1 << 16);
    const qint64 planes = 4 * channels * (info.have_animation ? 2 : 1);
    return {shownSize(info), int(planes + 4)};
}

JxlDecoderPtr decoderOver(const QByteArray& file, int events) {
    JxlDecoderPtr decoder = JxlDecoderMake(nullptr);
    if (!decoder || JxlDecoderSubscribeEvents(decoder.get(), events) != JXL_DEC_SUCCESS ||
        JxlDecoderSetInput(decoder.get(), bytesOf(file), size_t(file.size())) != JXL_DEC_SUCCESS)
        return nullptr;
    JxlDecoderCloseInput(decoder.get());
    return decoder;
}

FormatCost cost(const QByteArray& file) {
    const JxlDecoderPtr decoder = decoderOver(file, JXL_DEC_BASIC_INFO);
    JxlBasicInfo info{};
    if (!decoder || JxlDecoderProcessInput(decoder.get()) != JXL_DEC_BASIC_INFO ||
        JxlDecoderGetBasicInfo(decoder.get(), &info) != JXL_DEC_SUCCESS)
        return {};
    return costOf(info);
}

QPointF whiteOf(const JxlColorEncoding& encoding) {
    switch (encoding.white_point) {
    case JXL_WHITE_POINT_CUSTOM:
        return {encoding.white_point_xy[0], encoding.white_point_xy[1]};
    case JXL_WHITE_POINT_E:
        return {1.0 / 3, 1.0 / 3};
    case JXL_WHITE_POINT_DCI:
        return {0.314, 0.351};
    default:
        return {0.3127, 0.3290};
    }
}

// The named primaries leave the numbers unset.
void setPrimaries(const JxlColorEncoding& encoding, StatedPrimaries& stated) {
    switch (encoding.primaries) {
    case JXL_PRIMARIES_CUSTOM:
        stated.red = {encoding.primaries_red_xy[0], encoding.primaries_red_xy[1]};
        stated.green = {encoding.primaries_green_xy[0], encoding.primaries_green_xy[1]};
        stated.blue = {encoding.primaries_blue_xy[0], encoding.primaries_blue_xy[1]};
        return;
    case JXL_PRIMARIES_P3:
        stated.red = {0.680, 0.320}, stated.green = {0.265, 0.690}, stated.blue = {0.150, 0.060};
        return;
    case JXL_PRIMARIES_2100:
        stated.red = {0.708, 0.292}, stated.green = {0.170, 0.797}, stated.blue = {0.131, 0.046};
        return;
    default:
        stated.red = {0.640, 0.330}, stated.green = {0.300, 0.600}, stated.blue = {0.150, 0.060};
    }
}

QColorSpace colourSpaceOf(const JxlColorEncoding& encoding) {
    if (encoding.color_space != JXL_COLOR_SPACE_RGB)
        return {}; // gray comes out as equal channels, taken as sRGB
    StatedPrimaries stated;
    stated.white = whiteOf(encoding);
    setPrimaries(encoding, stated);
    if (encoding.transfer_function == JXL_TRANSFER_FUNCTION_LINEAR) {
        stated.transfer = QColorSpace::TransferFunction::Linear;
    } else if (encoding.transfer_function == JXL_TRANSFER_FUNCTION_GAMMA && encoding.gamma > 0) {
        stated.transfer = QColorSpace::TransferFunction::Gamma;
        stated.gamma = float(1 / encoding.gamma); // libjxl gives the encoding exponent
    }
    return colourSpaceOf(stated);
}

// The colour space of the pixels as decoded: described by numbers where the file's is, else by
// its ICC profile.
void setColourSpace(JxlDecoder* decoder, QImage& image) {
    JxlColorEncoding encoding{};
    if (JxlDecoderGetColorAsEncodedProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA,
                                           &encoding) == JXL_DEC_SUCCESS) {
        image.setColorSpace(colourSpaceOf(encoding));
        return;
    }
    size_t bytes = 0;
    if (JxlDecoderGetICCProfileSize(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &bytes) !=
            JXL_DEC_SUCCESS ||
        bytes == 0 || bytes > size_t(MaxProfileBytes))
        return;
    QByteArray icc(qsizetype(bytes), Qt::Uninitialized);
    if (JxlDecoderGetColorAsICCProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA,
                                       reinterpret_cast<uint8_t*>(icc.data()),
                                       bytes) == JXL_DEC_SUCCESS)
        setProfile(image, icc);
}

// Gives libjxl the picture's own memory to write into.
bool setOutput(JxlDecoder* decoder, const JxlBasicInfo& info, QImage& image) {
    constexpr JxlPixelFormat Rgba8{4, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    size_t bytes = 0;
    return QImageIOHandler::allocateImage(shownSize(info), QImage::Format_RGBA8888, &image) &&
           JxlDecoderImageOutBufferSize(decoder, &Rgba8, &bytes) == JXL_DEC_SUCCESS &&
           bytes == size_t(image.sizeInBytes()) &&
           JxlDecoderSetImageOutBuffer(decoder, &Rgba8, image.bits(), bytes) == JXL_DEC_SUCCESS;
}

struct Decoding {
    JxlDecoderPtr decoder;
    JxlResizableParallelRunnerPtr runner = JxlResizableParallelRunnerMake(nullptr);
    JxlBasicInfo info{};
    QImage image;
    QImage colours{1, 1, QImage::Format_RGB32}; // holds the colour space until the pixels come

    bool started(const QByteArray& file) {
        decoder =
            decoderOver(file, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE);
        return decoder && runner &&
               JxlDecoderSetParallelRunner(decoder.get(), JxlResizableParallelRunner,
                                           runner.get()) == JXL_DEC_SUCCESS;
    }
    bool basicInfo() {
        if (JxlDecoderGetBasicInfo(decoder.get(), &info) != JXL_DEC_SUCCESS ||
            !withinAllocationLimit(costOf(info)))
            return false;
        JxlResizableParallelRunnerSetThreads(
            runner.get(), JxlResizableParallelRunnerSuggestThreads(info.xsize, info.ysize));
        return true;
    }
    // True once the first frame is whole, false when the file gives none.
    bool run() {
        for (;;) {
            switch (JxlDecoderProcessInput(decoder.get())) {
            case JXL_DEC_BASIC_INFO:
                if (!basicInfo())
                    return false;
                break;
            case JXL_DEC_COLOR_ENCODING:
                setColourSpace(decoder.get(), colours);
                break;
            case JXL_DEC_NEED_IMAGE_OUT_BUFFER:
                if (!setOutput(decoder.get(), info, image))
                    return false;
                break;
            case JXL_DEC_FULL_IMAGE:
                return true;
            default: // an error, or input that ends before the picture does
                return false;
            }
        }
    }
};

QImage decode(const QByteArray& file) {
    Decoding decoding;
    if (!decoding.started(file) || !decoding.run())
        return {};
    QImage& image = decoding.image;
    image.convertTo(decoding.info.alpha_bits ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    image.setColorSpace(decoding.colours.colorSpace());
    const QByteArray unread = takeUnreadProfile(decoding.colours);
    if (!unread.isEmpty())
        setProfile(image, unread);
    return image;
}
} // namespace

const WholeFileFormat Jxl{sniff, cost, decode};

} // namespace tovik
