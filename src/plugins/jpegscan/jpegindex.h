// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "plugins/jpegscan/jpeglayout.h"

#include <QRect>

#include <atomic>
#include <cstdint>

namespace tovik::jpegscan {

// Where the entropy-coded data of one MCU begin, and each component's DC before it: from here a
// row can be read on without the rows above it. One every PointEvery MCUs of each MCU row.
struct IndexPoint {
    int64_t position = -1; // byte offset * 8 + bit; -1: the data never came this far
    int16_t dc[3] = {};
    int16_t spare = 0;
};
inline constexpr int PointEvery = 16;

inline int pointsAcross(const JpegLayout& layout) {
    return (layout.mcusAcross() + PointEvery - 1) / PointEvery;
}
inline qint64 indexBytes(const JpegLayout& layout) {
    return qint64(layout.mcusDown()) * pointsAcross(layout) * qint64(sizeof(IndexPoint));
}

// Walks the scan of the JPEG fd laid out as layout, writing its index points (indexBytes of
// them); the MCU rows it walked whole, fewer where the data end or break, or once stop is set.
// rows, as it goes: how many are done.
int indexJpeg(int fd, const JpegLayout& layout, IndexPoint* points, const std::atomic<bool>& stop,
              std::atomic<int>* rows = nullptr);

// The MCUs mcus of that JPEG written as a JPEG of their own, from its index (each row from its
// nearest point): the same tables, the same coefficients, a restart at each row so that each
// starts anew. Empty when the index does not reach them or the data break.
QByteArray regionJpeg(int fd, const JpegLayout& layout, const IndexPoint* points,
                      const QRect& mcus);

} // namespace tovik::jpegscan
