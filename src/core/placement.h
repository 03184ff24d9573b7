// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QList>

namespace tovik {

// A rectangle in twips; the model keeps geometry in twips and converts only at Qt's edge.
struct TwipRect {
    double left = 0, top = 0, width = 0, height = 0;
    bool operator==(const TwipRect&) const = default;
};

struct ScreenGeometry {
    TwipRect primary;          // the primary screen, in twips
    QList<TwipRect> screens;   // every screen, in twips
    QList<TwipRect> available; // every screen less its panels, in twips
    double tppX = 15, tppY = 15;
};

enum class WindowStateValue { Normal = 0, Minimized = 1, Maximized = 2 };

// 400 x 300 pixels, centred on the primary screen.
TwipRect defaultWindowRect(const ScreenGeometry& screen);

// The geometry defaults of viewer.ini: the position that centres the window at its current
// (initial) size, and the 400 x 300 pixel size.
TwipRect defaultSettingsRect(const ScreenGeometry& screen, double windowWidth, double windowHeight);

struct PlacementDecision {
    enum class Kind { Maximize, MoveAndSize, Keep } kind = Kind::Keep;
    TwipRect rect;
};

// How the window is placed at start from the saved state and rectangle. A rectangle that no
// screen shows any of, one larger than every screen's available area, or one smaller than
// minimum (what the menu bar, toolbar and status bar need) falls back to the default window.
PlacementDecision decidePlacement(qint32 savedState, const TwipRect& saved,
                                  const ScreenGeometry& screen, const TwipRect& minimum = {});

} // namespace tovik
