#pragma once

// Plain interface to the metafile libraries: libwmf's headers define macros that break Qt's, so
// nothing here includes Qt and nothing that includes Qt includes libwmf.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tovik::metafile {

// The largest picture a metafile may ask for; beyond it the file is refused.
inline constexpr std::int64_t MaxPixels = std::int64_t(1) << 28;

// Renders a WMF (placeable or not) at 96 DPI with libwmf, as PNG bytes. False when it is not one
// or fails.
bool renderWmf(const unsigned char* data, std::size_t size, std::vector<unsigned char>& png);

// Whether the bytes start like a WMF or an EMF.
bool looksLikeWmf(const unsigned char* data, std::size_t size);
bool looksLikeEmf(const unsigned char* data, std::size_t size);

// The EMF's picture size at 96 DPI from its header's frame (0.01 mm units).
bool emfSize(const unsigned char* data, std::size_t size, int& width, int& height);

} // namespace tovik::metafile
