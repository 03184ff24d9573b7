#include "platform/metafile/metafilerender.h"

#include <libwmf/api.h>
#include <libwmf/gd.h>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace tovik::metafile {

namespace {
std::uint32_t readU32(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

struct Api {
    wmfAPI* api = nullptr;
    ~Api() {
        if (api)
            wmf_api_destroy(api);
    }
};

// The file is read back whole once the library has closed its device.
bool readBack(std::FILE* file, std::vector<unsigned char>& out) {
    if (std::fseek(file, 0, SEEK_END) != 0)
        return false;
    const long length = std::ftell(file);
    if (length <= 0 || std::fseek(file, 0, SEEK_SET) != 0)
        return false;
    out.resize(std::size_t(length));
    return std::fread(out.data(), 1, out.size(), file) == out.size();
}

// The gd device renders into a PNG written to a file: its in-memory image kind is never freed by
// the library, which would leak a picture's worth of memory at every load.
bool play(wmfAPI* api, unsigned char* bytes, std::size_t size, std::FILE* file) {
    wmfD_Rect bbox;
    unsigned int width = 0, height = 0;
    if (wmf_mem_open(api, bytes, long(size)) != wmf_E_None ||
        wmf_scan(api, 0, &bbox) != wmf_E_None ||
        wmf_display_size(api, &width, &height, 96, 96) != wmf_E_None)
        return false;
    if (width == 0 || height == 0 || std::int64_t(width) * height > MaxPixels)
        return false;
    wmf_gd_t* gd = WMF_GD_GetData(api);
    gd->type = wmf_gd_png;
    gd->width = width;
    gd->height = height;
    gd->bbox = bbox;
    gd->file = file;
    gd->flags |= WMF_GD_OUTPUT_FILE;
    return wmf_play(api, 0, &bbox) == wmf_E_None;
}
} // namespace

bool looksLikeWmf(const unsigned char* data, std::size_t size) {
    if (size >= 22 && readU32(data) == 0x9AC6CDD7u)
        return true; // placeable header
    // A plain header: type 1 (memory) or 2 (disk), header size 9 words.
    return size >= 18 && (data[0] == 1 || data[0] == 2) && data[1] == 0 && data[2] == 9 &&
           data[3] == 0;
}

bool renderWmf(const unsigned char* data, std::size_t size, std::vector<unsigned char>& png) {
    if (!looksLikeWmf(data, size))
        return false;
    wmfAPI_Options options;
    std::memset(&options, 0, sizeof options);
    options.function = wmf_gd_function;
    const unsigned long flags =
        WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    std::FILE* file = std::tmpfile();
    if (!file)
        return false;
    bool played = false;
    {
        Api holder;
        // libwmf reads through a non-const pointer but does not write.
        std::vector<unsigned char> copy(data, data + size);
        played = wmf_api_create(&holder.api, flags, &options) == wmf_E_None &&
                 play(holder.api, copy.data(), copy.size(), file);
    } // destroying the API closes the device, which writes the PNG
    const bool ok = played && readBack(file, png);
    std::fclose(file);
    return ok;
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
