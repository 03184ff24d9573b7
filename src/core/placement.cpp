#include "core/placement.h"

#include <algorithm>

namespace tovik {

namespace {
bool intersects(const TwipRect& a, const TwipRect& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

bool usable(const TwipRect& r, const ScreenGeometry& screen) {
    if (r.width <= 0 || r.height <= 0)
        return false;
    return std::any_of(screen.screens.begin(), screen.screens.end(),
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
                                  const ScreenGeometry& screen) {
    using Kind = PlacementDecision::Kind;
    switch (WindowStateValue(savedState)) {
    case WindowStateValue::Maximized:
        return {Kind::Maximize, {}};
    case WindowStateValue::Minimized:
        return {Kind::MoveAndSize, defaultWindowRect(screen)};
    case WindowStateValue::Normal:
        return {Kind::MoveAndSize, usable(saved, screen) ? saved : defaultWindowRect(screen)};
    }
    return {Kind::Keep, {}};
}

} // namespace tovik
