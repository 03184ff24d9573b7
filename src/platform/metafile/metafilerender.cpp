#include "platform/metafile/metafilerender.h"

#include <libwmf/api.h>
#include <libwmf/gd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace tovik::metafile {

namespace {
std::uint32_t readU32(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
std::uint16_t readU16(const unsigned char* p) {
    return std::uint16_t(p[0] | p[1] << 8);
}

// A device-context stack as both formats keep it: a save pushes, a restore pops to a depth
// given relatively (negative) or absolutely (positive).
struct SavedStates {
    int depth = 0;
    void save() { ++depth; }
    void restore(std::int32_t which) {
        depth = which < 0 ? std::max(0, depth + which) : std::min(depth, std::max(0, which - 1));
    }
};

struct Api {
    bool create();
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

// Plays the file on the gd device: into a PNG written to file, or, without a file, into the
// device's own image in memory.
bool play(wmfAPI* api, unsigned char* bytes, std::size_t size, std::FILE* file) {
    wmfD_Rect bbox;
    unsigned int width = 0, height = 0;
    if (wmf_mem_open(api, bytes, long(size)) != wmf_E_None ||
        wmf_scan(api, 0, &bbox) != wmf_E_None ||
        wmf_display_size(api, &width, &height, 96, 96) != wmf_E_None)
        return false;
    if (width == 0 || height == 0)
        return false;
    double w = width, h = height;
    fitWithinMaxSide(w, h);
    wmf_gd_t* gd = WMF_GD_GetData(api);
    gd->type = file ? wmf_gd_png : wmf_gd_image;
    gd->width = unsigned(std::max(1.0, std::nearbyint(w)));
    gd->height = unsigned(std::max(1.0, std::nearbyint(h)));
    gd->bbox = bbox;
    gd->file = file;
    gd->flags |= file ? WMF_GD_OUTPUT_FILE : WMF_GD_OUTPUT_MEMORY | WMF_GD_OWN_BUFFER;
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

void fitWithinMaxSide(double& width, double& height) {
    const double longer = std::max(width, height);
    if (longer > MaxSide) {
        width = width * MaxSide / longer;
        height = height * MaxSide / longer;
    }
}

bool wmfWithinBudget(const unsigned char* data, std::size_t size) {
    std::size_t at = readU32(data) == 0x9AC6CDD7u ? 22 : 0; // past a placeable header
    if (at + 18 > size)
        return false;
    at += std::size_t(readU16(data + at + 2)) * 2; // the header's own size, in words
    SavedStates states;
    for (std::size_t records = 0; at + 6 <= size; ++records) {
        const std::uint32_t words = readU32(data + at);
        const std::uint16_t function = readU16(data + at + 4);
        if (function == 0 || words < 3 || records > MaxRecords)
            return records <= MaxRecords; // the end record, or damage libwmf stops at
        if (function == 0x001E)           // SaveDC
            states.save();
        else if (function == 0x0127 && at + 8 <= size) // RestoreDC
            states.restore(std::int16_t(readU16(data + at + 6)));
        if (states.depth > MaxSavedStates)
            return false;
        at += std::size_t(words) * 2;
    }
    return true;
}

// The header's description must lie inside the header: libemf2svg reads it unchecked, and with
// a count of 0 up to the first NUL character wherever that is.
static bool emfDescriptionInside(const unsigned char* data, std::size_t size) {
    const std::uint64_t headerSize = readU32(data + 4), count = readU32(data + 60),
                        offset = readU32(data + 64);
    if (headerSize < 88 || headerSize > size)
        return false;
    if (count == 0 && offset == 0)
        return true;
    if (offset < 88 || offset + count * 2 > headerSize)
        return false;
    for (std::uint64_t at = offset; count == 0 && at + 2 <= headerSize; at += 2)
        if (readU16(data + at) == 0)
            return true;
    return count > 0;
}

bool emfWithinBudget(const unsigned char* data, std::size_t size) {
    if (!looksLikeEmf(data, size))
        return false;
    if (!emfDescriptionInside(data, size))
        return false;
    SavedStates states;
    std::size_t at = 0;
    for (std::size_t records = 0; at + 8 <= size; ++records) {
        const std::uint32_t type = readU32(data + at), length = readU32(data + at + 4);
        if (records > MaxRecords)
            return false;
        if (type == 14 || length < 8) // the end record, or damage the converter stops at
            return true;
        if (type == 33) // SAVEDC
            states.save();
        else if (type == 34 && at + 12 <= size) // RESTOREDC
            states.restore(std::int32_t(readU32(data + at + 8)));
        if (states.depth > MaxSavedStates)
            return false;
        at += length;
    }
    return true;
}

bool Api::create() {
    wmfAPI_Options options;
    std::memset(&options, 0, sizeof options);
    options.function = wmf_gd_function;
    const unsigned long flags =
        WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    return wmf_api_create(&api, flags, &options) == wmf_E_None;
}

bool renderWmf(const unsigned char* data, std::size_t size, std::vector<unsigned char>& png) {
    if (!looksLikeWmf(data, size) || !wmfWithinBudget(data, size))
        return false;
    std::FILE* file = std::tmpfile();
    if (!file)
        return false;
    bool played = false;
    {
        Api holder;
        // libwmf reads through a non-const pointer but does not write.
        std::vector<unsigned char> copy(data, data + size);
        played = holder.create() && play(holder.api, copy.data(), copy.size(), file);
    } // destroying the API closes the device, which writes the PNG
    const bool ok = played && readBack(file, png);
    std::fclose(file);
    return ok;
}

bool renderWmfPixels(const unsigned char* data, std::size_t size, std::vector<std::uint32_t>& argb,
                     unsigned& width, unsigned& height) {
    if (!looksLikeWmf(data, size) || !wmfWithinBudget(data, size))
        return false;
    Api holder;
    std::vector<unsigned char> copy(data, data + size);
    if (!holder.create() || !play(holder.api, copy.data(), copy.size(), nullptr))
        return false;
    const wmf_gd_t* gd = WMF_GD_GetData(holder.api);
    const int* pixels = gd->gd_image ? wmf_gd_image_pixels(gd->gd_image) : nullptr;
    if (!pixels)
        return false;
    width = gd->width;
    height = gd->height;
    argb.resize(std::size_t(width) * height);
    for (std::size_t i = 0; i < argb.size(); ++i) {
        // gd's alpha runs from 0 (opaque) to 127 (transparent).
        const auto p = std::uint32_t(pixels[i]);
        const std::uint32_t alpha = 255 - ((p >> 24) & 0x7f) * 255 / 127;
        argb[i] = alpha << 24 | (p & 0xffffff);
    }
    return true;
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
    double w = mmWide / 25.4 * 96.0, h = mmHigh / 25.4 * 96.0;
    if (!(w >= 1 && h >= 1))
        return false;
    fitWithinMaxSide(w, h);
    width = int(std::max(1.0, std::nearbyint(w)));
    height = int(std::max(1.0, std::nearbyint(h)));
    return true;
}

} // namespace tovik::metafile
