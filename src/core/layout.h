// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "core/placement.h"

#include <optional>

namespace tovik {

// The largest picture surface the viewer makes (4 bytes a pixel): a drawing surface or a sheet
// beyond it counts as one that cannot be made.
inline constexpr qint64 SurfaceBudgetBytes = qint64(1) << 30;

// The heights and widths that the picture area's layout subtracts, in twips.
struct ClientFrame {
    double clientWidth = 0, clientHeight = 0;
    double toolbarHeight = 0, statusHeight = 0;
    double vScrollWidth = 0, hScrollHeight = 0;
};

// The viewport imgTwo: left 0, below the toolbar, leaving room for the scroll bars and the
// status bar. nullopt when the client area is too small to hold it (a negative size).
std::optional<TwipRect> viewportRect(const ClientFrame& frame);

} // namespace tovik

namespace tovik {

// One scroll bar's setup, in twips: the maximum is how far the picture exceeds the viewport.
struct ScrollSetup {
    qint32 maximum = 0;
    bool visible = false; // only when the picture is larger than the viewport
    qint32 largeStep = 1; // maximum / 10, at least 1; meaningful only when visible
    qint32 smallStep = 1; // maximum / 25, at least 1
};

ScrollSetup rangeScrollBar(double pictureExtent, double viewportExtent);

} // namespace tovik
