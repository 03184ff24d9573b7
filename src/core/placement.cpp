// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "core/placement.h"

#include <algorithm>

namespace tovik {

namespace {
bool intersects(const TwipRect& a, const TwipRect& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

bool fitsIn(const TwipRect& r, const TwipRect& area) {
    return r.width <= area.width && r.height <= area.height;
}

bool usable(const TwipRect& r, const ScreenGeometry& screen, const TwipRect& minimum) {
    if (r.width <= 0 || r.height <= 0 || r.width < minimum.width || r.height < minimum.height)
        return false;
    const auto& areas = screen.available.isEmpty() ? screen.screens : screen.available;
    return std::any_of(areas.begin(), areas.end(),
                       [&](const TwipRect& a) { return fitsIn(r, a); }) &&
           std::any_of(screen.screens.begin(), screen.screens.end(),
                       [&](const TwipRect& s) { return intersects(r, s); });
}
} // namespace

TwipRect defaultWindowRect(const ScreenGeometry& screen) {
    const double width = 400 * screen.tppX;
    const double height = 300 * screen.tppY;
    return {screen.primary.left + (screen.primary.width - width) / 2,
            screen.primary.top + (screen.primary.height - height) / 2, width, height};
}

TwipRect defaultSettingsRect(const ScreenGeometry& screen, double windowWidth,
                             double windowHeight) {
    return {screen.primary.left + (screen.primary.width - windowWidth) / 2,
            screen.primary.top + (screen.primary.height - windowHeight) / 2, 400 * screen.tppX,
            300 * screen.tppY};
}

PlacementDecision decidePlacement(qint32 savedState, const TwipRect& saved,
                                  const ScreenGeometry& screen, const TwipRect& minimum) {
    using Kind = PlacementDecision::Kind;
    switch (WindowStateValue(savedState)) {
    case WindowStateValue::Maximized:
        return {Kind::Maximize, {}};
    case WindowStateValue::Minimized:
        return {Kind::MoveAndSize, defaultWindowRect(screen)};
    case WindowStateValue::Normal:
        return {Kind::MoveAndSize,
                usable(saved, screen, minimum) ? saved : defaultWindowRect(screen)};
    }
    return {Kind::Keep, {}};
}

} // namespace tovik
