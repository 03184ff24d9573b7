// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "platform/qtscreenmetrics.h"

#include "core/rounding.h"

#include <QGuiApplication>
#include <QScreen>

namespace tovik {

namespace {
TwipRect toTwips(const QRect& r, double tppX, double tppY) {
    return {r.x() * tppX, r.y() * tppY, r.width() * tppX, r.height() * tppY};
}
} // namespace

ScreenGeometry QtScreenMetrics::geometry() const {
    ScreenGeometry g;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return g;
    g.tppX = twipsPerPixel(primary->logicalDotsPerInchX());
    g.tppY = twipsPerPixel(primary->logicalDotsPerInchY());
    g.primary = toTwips(primary->geometry(), g.tppX, g.tppY);
    for (const QScreen* s : QGuiApplication::screens()) {
        g.screens.append(toTwips(s->geometry(), g.tppX, g.tppY));
        g.available.append(toTwips(s->availableGeometry(), g.tppX, g.tppY));
    }
    return g;
}

} // namespace tovik
