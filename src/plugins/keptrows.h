// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QImage>

#include <functional>

namespace tovik {

// Whole rows of a picture read row by row (a PNG, a TIFF in strips), reduced by a factor, the
// last strip of them read kept: the parts beside each other in a row come from one read.
class KeptRows {
public:
    // The part inside of the picture reduced by factor (reducedWidth wide), over fill: from the
    // rows kept, or from a strip of inside's rows that read fills (its whole rows, from top on).
    // Null where read fails.
    QImage part(const QRect& inside, int factor, QRgb fill, int reducedWidth,
                const std::function<bool(QImage& strip, int top)>& read) {
        const bool kept = m_factor == factor && m_fill == fill && inside.top() >= m_top &&
                          inside.bottom() < m_top + m_rows.height();
        if (!kept) {
            m_rows = QImage();
            QImage strip(reducedWidth, inside.height(), QImage::Format_RGB32);
            if (strip.isNull() || !read(strip, inside.top()))
                return {};
            m_rows = strip;
            m_factor = factor;
            m_fill = fill;
            m_top = inside.top();
        }
        return m_rows.copy(inside.translated(0, -m_top));
    }

private:
    QImage m_rows;
    int m_factor = 0, m_top = 0;
    QRgb m_fill = 0;
};

} // namespace tovik
