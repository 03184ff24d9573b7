#pragma once

// Plain interface to the metafile libraries: libwmf's headers define macros that break Qt's, so
// nothing here includes Qt and nothing that includes Qt includes libwmf.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tovik::metafile {

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb; // 0xAARRGGBB, row after row
};

// The largest picture a metafile may ask for; beyond it the file is refused.
inline constexpr std::int64_t MaxPixels = std::int64_t(1) << 28;

// Renders a WMF (placeable or not) at 96 DPI with libwmf. False when it is not one or fails.
bool renderWmf(const unsigned char* data, std::size_t size, Pixels& out);

// Whether the bytes start like a WMF or an EMF.
bool looksLikeWmf(const unsigned char* data, std::size_t size);
bool looksLikeEmf(const unsigned char* data, std::size_t size);

// The EMF's picture size at 96 DPI from its header's frame (0.01 mm units).
bool emfSize(const unsigned char* data, std::size_t size, int& width, int& height);

} // namespace tovik::metafile
