// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

// Plain interface to the metafile libraries: libwmf's headers define macros that break Qt's, so
// nothing here includes Qt and nothing that includes Qt includes libwmf.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tovik::metafile {

// A metafile is drawn at its own size up to this many pixels on its longer side, a large
// screen's width (at the largest zoom, 2.75, that is 7040 pixels: more than any screen shows);
// a larger drawing is drawn smaller, keeping its proportions.
inline constexpr int MaxSide = 2560;

// What a metafile may hold before the libraries see it: each record costs time twice (scanned,
// then played), and libwmf's device-context stack costs time that grows with the square of its
// depth. Real drawings stay far below both.
inline constexpr std::size_t MaxRecords = 500000;
inline constexpr int MaxSavedStates = 1024;

// libwmf draws without anti-aliasing: a WMF is drawn at up to this many times its size (keeping
// within MaxSide) and each block of pixels averaged into one, so its edges come out as smooth as
// an EMF's.
inline constexpr unsigned MaxSupersampling = 4;

// A WMF as drawn: width x height at 96 DPI, drawn at factor times that on each side.
struct Drawn {
    unsigned width = 0, height = 0, factor = 1;
};

// Renders a WMF (placeable or not) at 96 DPI with libwmf, as PNG bytes of the drawing at
// drawn.factor times its size, for reduce(). False when it is not one or fails.
bool renderWmf(const unsigned char* data, std::size_t size, std::vector<unsigned char>& png,
               Drawn& drawn);

// Averages a drawing made at drawn.factor times its size (non-premultiplied ARGB, rows of
// width x factor pixels) down to drawn.width x drawn.height.
void reduce(const std::uint32_t* large, const Drawn& drawn, std::vector<std::uint32_t>& argb);

// The same drawing as non-premultiplied ARGB pixels at its size, without the PNG's encoding and
// decoding.
// libwmf never frees this kind of drawing: only for a process that ends after one drawing.
bool renderWmfPixels(const unsigned char* data, std::size_t size, std::vector<std::uint32_t>& argb,
                     unsigned& width, unsigned& height);

// Whether the bytes start like a WMF or an EMF.
bool looksLikeWmf(const unsigned char* data, std::size_t size);
bool looksLikeEmf(const unsigned char* data, std::size_t size);

// The EMF's picture size at 96 DPI from its header's frame (0.01 mm units), within MaxSide.
bool emfSize(const unsigned char* data, std::size_t size, int& width, int& height);

// Whether the records of a WMF or an EMF stay within MaxRecords and MaxSavedStates, and an EMF's
// header holds what it says it holds.
bool wmfWithinBudget(const unsigned char* data, std::size_t size);
bool emfWithinBudget(const unsigned char* data, std::size_t size);

// width x height brought within MaxSide on the longer side, proportions kept.
void fitWithinMaxSide(double& width, double& height);

} // namespace tovik::metafile
