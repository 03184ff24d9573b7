// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

namespace tovik {

inline constexpr float ZoomStep = 0.25f;
inline constexpr float MinZoom = 0.25f;
inline constexpr float MaxZoom = 2.75f;

// One step in or out, clamped after the step: to the next quarter above or below, so that a
// factor fitted to the window (0.6) goes on to the steps (0.75, 0.5) as any other.
float zoomedIn(float factor);
float zoomedOut(float factor);

// The largest factor that shows a picture of this size whole in a viewport of that size, never
// above 1; sizes in pixels.
float fitFactor(double pictureWidth, double pictureHeight, double viewWidth, double viewHeight);

} // namespace tovik

namespace tovik {

// A first look at a large photo while its full decode runs: decoded at 1/denominator (2, 4 or
// 8), and only its rows from the top down to rows, what the viewport shows scrolled to the top.
struct PreviewScale {
    int denominator = 2;
    int rows = 0;
};

// The smallest scale that holds every pixel shown at zoom, or else the smallest whose picture
// still covers the viewport (a half at most); sizes in pixels.
PreviewScale previewScale(int pictureWidth, int pictureHeight, double zoom, int viewWidth,
                          int viewHeight);

} // namespace tovik
