// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "plugins/keptrows.h"
#include "plugins/pngscan/pngrows.h"

#include <QImage>

#include <functional>
#include <memory>

namespace tovik::large {

// A PNG too large to decode whole (in the decoding helper): its overview made in one pass, each
// box of pixels averaged as its rows come, while points from which inflating can begin again are
// kept one a band; then any region decoded from the nearest point above it, a strip of whole rows
// at a time (the last one kept, for the parts beside it).
class LargePng {
public:
    // fd stays the caller's (it is duplicated); null when it is no PNG read this way.
    static std::unique_ptr<LargePng> open(int fd);
    ~LargePng();
    const pngscan::PngLayout& layout() const { return m_layout; }

    // The overview reduced by factor into canvas (RGB32, of that size), transparent pixels over
    // fill; points: pointCount of pointBytes, or null; progress told of each row. False when the
    // data break before the end.
    bool overview(QImage& canvas, int factor, QRgb fill, uchar* points,
                  const std::function<void(int)>& progress);
    // The part of the picture reduced by denominator (boxes averaged) in rect, over fill; null
    // where the data break.
    QImage region(const QRect& rect, int denominator, QRgb fill);

private:
    LargePng(int fd, pngscan::PngLayout layout);
    int m_fd;
    pngscan::PngLayout m_layout;
    const uchar* m_points = nullptr;
    KeptRows m_rows;
};

} // namespace tovik::large
