#include "platform/metafile/metafilerender.h"

#include <libwmf/api.h>
#include <libwmf/gd.h>

#include <cmath>
#include <cstring>

namespace tovik::metafile {

namespace {
std::uint32_t readU32(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

// gd keeps 7-bit alpha with 0 opaque and 127 transparent.
std::uint32_t toArgb(int gd) {
    const std::uint32_t transparency = (std::uint32_t(gd) >> 24) & 0x7f;
    const std::uint32_t alpha = 255 - transparency * 255 / 127;
    return alpha << 24 | (std::uint32_t(gd) & 0x00ffffff);
}

struct Api {
    wmfAPI* api = nullptr;
    ~Api() {
        if (api)
            wmf_api_destroy(api); // frees everything libwmf allocated, the gd image included
    }
};

bool play(wmfAPI* api, unsigned char* bytes, std::size_t size, Pixels& out) {
    wmfD_Rect bbox;
    unsigned int width = 0, height = 0;
    if (wmf_mem_open(api, bytes, long(size)) != wmf_E_None ||
        wmf_scan(api, 0, &bbox) != wmf_E_None ||
        wmf_display_size(api, &width, &height, 96, 96) != wmf_E_None)
        return false;
    if (width == 0 || height == 0 || std::int64_t(width) * height > MaxPixels)
        return false;
    wmf_gd_t* gd = WMF_GD_GetData(api);
    gd->type = wmf_gd_image;
    gd->width = width;
    gd->height = height;
    gd->bbox = bbox;
    gd->flags |= WMF_GD_OUTPUT_MEMORY | WMF_GD_OWN_BUFFER;
    if (wmf_play(api, 0, &bbox) != wmf_E_None || !gd->gd_image)
        return false;
    const int* pixels = wmf_gd_image_pixels(gd->gd_image);
    if (!pixels)
        return false;
    out.width = int(width);
    out.height = int(height);
    out.argb.resize(std::size_t(width) * height);
    for (std::size_t i = 0; i < out.argb.size(); ++i)
        out.argb[i] = toArgb(pixels[i]);
    return true;
}
} // namespace

bool looksLikeWmf(const unsigned char* data, std::size_t size) {
    if (size >= 22 && readU32(data) == 0x9AC6CDD7u)
        return true; // placeable header
    // A plain header: type 1 (memory) or 2 (disk), header size 9 words.
    return size >= 18 && (data[0] == 1 || data[0] == 2) && data[1] == 0 && data[2] == 9 &&
           data[3] == 0;
}

bool renderWmf(const unsigned char* data, std::size_t size, Pixels& out) {
    if (!looksLikeWmf(data, size))
        return false;
    wmfAPI_Options options;
    std::memset(&options, 0, sizeof options);
    options.function = wmf_gd_function;
    const unsigned long flags =
        WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    Api holder;
    if (wmf_api_create(&holder.api, flags, &options) != wmf_E_None)
        return false;
    // libwmf reads through a non-const pointer but does not write.
    std::vector<unsigned char> copy(data, data + size);
    return play(holder.api, copy.data(), copy.size(), out);
}

bool looksLikeEmf(const unsigned char* data, std::size_t size) {
    return size >= 88 && readU32(data) == 1 && std::memcmp(data + 40, " EMF", 4) == 0;
}

bool emfSize(const unsigned char* data, std::size_t size, int& width, int& height) {
    if (!looksLikeEmf(data, size))
        return false;
    const auto frame = [&](int offset) { return double(std::int32_t(readU32(data + offset))); };
    // rclFrame is inclusive, in hundredths of a millimetre.
    const double mmWide = (frame(32) - frame(24)) / 100.0;
    const double mmHigh = (frame(36) - frame(28)) / 100.0;
    const double w = mmWide / 25.4 * 96.0, h = mmHigh / 25.4 * 96.0;
    if (!(w >= 1 && h >= 1) || w * h > double(MaxPixels))
        return false;
    width = int(std::nearbyint(w));
    height = int(std::nearbyint(h));
    return true;
}

} // namespace tovik::metafile
