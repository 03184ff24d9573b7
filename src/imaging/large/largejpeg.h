// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "plugins/jpegscan/jpegindex.h"
#include "plugins/jpegscan/jpeglayout.h"

#include <QImage>

#include <algorithm>
#include <functional>
#include <memory>

namespace tovik::large {

using jpegscan::IndexPoint;
using jpegscan::JpegLayout;

// The reduction a large picture's overview is made at: a power of two, the DCT scale's part of
// it (at most 8) and the rest by averaging boxes of pixels.
struct Reduction {
    int scale = 1, box = 1;
    int factor() const { return scale * box; }
    // The reduction by factor (a power of two): as much of it as the DCT can, the rest in boxes.
    static Reduction by(int factor) { return {std::min(factor, 8), std::max(1, factor / 8)}; }
    QSize of(QSize picture) const;
};
// The overview of a picture of this size: the least reduction that brings it to most pixels or
// fewer.
Reduction overviewReduction(QSize picture, qint64 most);
// A reduction the overview can be made at: a DCT scale of 1, 2, 4 or 8, a box of up to 1024.
bool validReduction(const Reduction& reduction);
// What an overview of a picture of the budget's size comes to: 64 MiB.
inline constexpr qint64 OverviewPixels = qint64(4096) * 4096;

// A baseline JPEG too large to decode whole (in the decoding helper): its overview made in one
// pass while another thread indexes its scan, then any region decoded from the index alone.
class LargeJpeg {
public:
    // fd stays the caller's (it is duplicated); null when it is no baseline JPEG.
    static std::unique_ptr<LargeJpeg> open(int fd);
    ~LargeJpeg();
    const JpegLayout& layout() const { return m_layout; }

    // The overview at reduction into canvas (RGB32, of the reduced size), in the screen's
    // colours; progress told of the rows done as they come. index: indexBytes of memory for the
    // index points, or null for none. False when the picture breaks before its end (the rows
    // that came are kept).
    bool overview(QImage& canvas, const Reduction& reduction, IndexPoint* index,
                  const std::function<void(int)>& progress);
    // MCU rows the index covers.
    int indexedRows() const { return m_indexedRows; }

    // The part of the picture reduced by denominator (1, 2, 4 or 8) that lies in rect (in that
    // reduction's pixels), in the screen's colours: pixel for pixel what a decode of the whole
    // would give there. Null where the index does not reach.
    QImage region(const QRect& rect, int denominator) const;

private:
    LargeJpeg(int fd, JpegLayout layout);
    int m_fd;
    JpegLayout m_layout;
    const IndexPoint* m_index = nullptr;
    int m_indexedRows = 0;
};

} // namespace tovik::large
