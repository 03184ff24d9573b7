// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QImage>

#include <algorithm>

namespace tovik::test {

// How far two pictures of one size are apart, colour channel by channel.
struct ImageDifference {
    int worst = 0;
    double mean = 0;
};

inline ImageDifference difference(const QImage& a, const QImage& b) {
    ImageDifference d;
    const int w = std::min(a.width(), b.width()), h = std::min(a.height(), b.height());
    if (a.size() != b.size())
        d.worst = 256; // not the same picture whatever the pixels say
    qint64 total = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const int far = std::max(
                {qAbs(qRed(p) - qRed(q)), qAbs(qGreen(p) - qGreen(q)), qAbs(qBlue(p) - qBlue(q))});
            d.worst = std::max(d.worst, far);
            total += far;
        }
    d.mean = w > 0 && h > 0 ? double(total) / (qint64(w) * h) : 0;
    return d;
}

} // namespace tovik::test
