// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "plugins/metafile/metafilerender.h"

#include "core/bytes.h"

#include <libwmf/api.h>
#include <libwmf/gd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace tovik::metafile {

namespace {
// The callers have checked that the bytes are there.
std::uint32_t readU32(const unsigned char* p) {
    return ByteView(p, 4).le32(0);
}
std::uint16_t readU16(const unsigned char* p) {
    return std::uint16_t(ByteView(p, 2).le16(0));
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

// The drawing's own size at 96 DPI. A placeable header gives its frame and the units per inch
// (libwmf's display size, from the extent of what is drawn, comes out a pixel short); a plain
// file has only that extent.
void trueSize(const unsigned char* bytes, std::size_t size, unsigned width, unsigned height,
              double& w, double& h) {
    w = width;
    h = height;
    if (size < 22 || readU32(bytes) != 0x9AC6CDD7u)
        return;
    const auto at = [&](int offset) { return double(std::int16_t(readU16(bytes + offset))); };
    const double inch = readU16(bytes + 14);
    const double frameW = std::abs(at(10) - at(6)) * 96 / inch;
    const double frameH = std::abs(at(12) - at(8)) * 96 / inch;
    if (inch > 0 && frameW >= 1 && frameH >= 1) {
        w = frameW;
        h = frameH;
    }
}

// Plays the file on the gd device, at factor times its size (see Drawn): into a PNG written to
// file, or, without a file, into the device's own image in memory.
bool play(wmfAPI* api, unsigned char* bytes, std::size_t size, std::FILE* file, Drawn& drawn) {
    wmfD_Rect bbox;
    unsigned int width = 0, height = 0;
    if (wmf_mem_open(api, bytes, long(size)) != wmf_E_None ||
        wmf_scan(api, 0, &bbox) != wmf_E_None ||
        wmf_display_size(api, &width, &height, 96, 96) != wmf_E_None)
        return false;
    if (width == 0 || height == 0)
        return false;
    double w = 0, h = 0;
    trueSize(bytes, size, width, height, w, h);
    fitWithinMaxSide(w, h);
    drawn.width = unsigned(std::max(1.0, std::nearbyint(w)));
    drawn.height = unsigned(std::max(1.0, std::nearbyint(h)));
    drawn.factor =
        std::clamp(unsigned(MaxSide) / std::max(drawn.width, drawn.height), 1u, MaxSupersampling);
    wmf_gd_t* gd = WMF_GD_GetData(api);
    gd->type = file ? wmf_gd_png : wmf_gd_image;
    gd->width = drawn.width * drawn.factor;
    gd->height = drawn.height * drawn.factor;
    gd->bbox = bbox;
    gd->file = file;
    gd->flags |= file ? WMF_GD_OUTPUT_FILE : WMF_GD_OUTPUT_MEMORY | WMF_GD_OWN_BUFFER;
    return wmf_play(api, 0, &bbox) == wmf_E_None;
}
} // namespace

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
// a count of 0 as its two strings, each up to a NUL character wherever that is.
static bool emfDescriptionInside(const unsigned char* data, std::size_t size) {
    const std::uint64_t headerSize = readU32(data + 4), count = readU32(data + 60),
                        offset = readU32(data + 64);
    if (headerSize < 88 || headerSize > size)
        return false;
    if (count == 0 && offset == 0)
        return true;
    if (offset < 88 || offset + count * 2 > headerSize)
        return false;
    int ends = 0; // the application's name, then the picture's
    for (std::uint64_t at = offset; count == 0 && at + 2 <= headerSize; at += 2)
        if (readU16(data + at) == 0 && ++ends == 2)
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

bool renderWmf(const unsigned char* data, std::size_t size, std::vector<unsigned char>& png,
               Drawn& drawn) {
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
        played = holder.create() && play(holder.api, copy.data(), copy.size(), file, drawn);
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
    Drawn drawn;
    if (!holder.create() || !play(holder.api, copy.data(), copy.size(), nullptr, drawn))
        return false;
    const wmf_gd_t* gd = WMF_GD_GetData(holder.api);
    const int* pixels = gd->gd_image ? wmf_gd_image_pixels(gd->gd_image) : nullptr;
    if (!pixels)
        return false;
    std::vector<std::uint32_t> large(std::size_t(gd->width) * gd->height);
    for (std::size_t i = 0; i < large.size(); ++i) {
        // gd's alpha runs from 0 (opaque) to 127 (transparent).
        const auto p = std::uint32_t(pixels[i]);
        const std::uint32_t alpha = 255 - ((p >> 24) & 0x7f) * 255 / 127;
        large[i] = alpha << 24 | (p & 0xffffff);
    }
    reduce(large.data(), drawn, argb);
    width = drawn.width;
    height = drawn.height;
    return true;
}

void reduce(const std::uint32_t* large, const Drawn& drawn, std::vector<std::uint32_t>& argb) {
    const unsigned f = drawn.factor, rowLength = drawn.width * f;
    argb.resize(std::size_t(drawn.width) * drawn.height);
    for (unsigned y = 0; y < drawn.height; ++y)
        for (unsigned x = 0; x < drawn.width; ++x) {
            // Colours weighted by their alpha, so a transparent pixel lends the edge no colour.
            std::uint64_t sum[4] = {0, 0, 0, 0};
            for (unsigned dy = 0; dy < f; ++dy)
                for (unsigned dx = 0; dx < f; ++dx) {
                    const std::uint32_t p = large[std::size_t(y * f + dy) * rowLength + x * f + dx];
                    const std::uint32_t alpha = p >> 24;
                    sum[3] += alpha;
                    for (int c = 0; c < 3; ++c)
                        sum[c] += ((p >> (8 * c)) & 0xff) * alpha;
                }
            const std::uint64_t count = std::uint64_t(f) * f;
            std::uint32_t out = std::uint32_t((sum[3] + count / 2) / count) << 24;
            for (int c = 0; c < 3 && sum[3] > 0; ++c)
                out |= std::uint32_t((sum[c] + sum[3] / 2) / sum[3]) << (8 * c);
            argb[std::size_t(y) * drawn.width + x] = out;
        }
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
