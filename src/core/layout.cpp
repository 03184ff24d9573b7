// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "core/layout.h"

#include "core/rounding.h"

#include <algorithm>

namespace tovik {

std::optional<TwipRect> viewportRect(const ClientFrame& f) {
    const TwipRect r{0, f.toolbarHeight, f.clientWidth - f.vScrollWidth,
                     f.clientHeight - f.hScrollHeight - f.toolbarHeight - f.statusHeight};
    if (r.width < 0 || r.height < 0)
        return std::nullopt;
    return r;
}

} // namespace tovik

namespace tovik {

ScrollSetup rangeScrollBar(double pictureExtent, double viewportExtent) {
    ScrollSetup s;
    s.maximum = roundToLong(pictureExtent - viewportExtent);
    s.visible = viewportExtent < pictureExtent;
    if (s.visible) {
        // A bar does not take a step of 0, which a small excess would round to.
        s.largeStep = std::max<qint32>(1, roundToLong(s.maximum / 10.0));
        s.smallStep = std::max<qint32>(1, roundToLong(s.maximum / 25.0));
    }
    return s;
}

} // namespace tovik
