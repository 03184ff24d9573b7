// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "core/zoomsteps.h"

#include <algorithm>
#include <cmath>

namespace tovik {

// Quarters are exact in binary: the steps themselves come out exactly as factor +- ZoomStep.
float zoomedIn(float factor) {
    const float next = (std::floor(factor / ZoomStep) + 1) * ZoomStep;
    return std::clamp(next, MinZoom, MaxZoom);
}

float zoomedOut(float factor) {
    const float next = (std::ceil(factor / ZoomStep) - 1) * ZoomStep;
    return std::clamp(next, MinZoom, MaxZoom);
}

float fitFactor(double pictureWidth, double pictureHeight, double viewWidth, double viewHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || viewWidth <= 0 || viewHeight <= 0)
        return 1.0f;
    return float(std::min({1.0, viewWidth / pictureWidth, viewHeight / pictureHeight}));
}

} // namespace tovik

namespace tovik {

namespace {
int scaledSide(int side, int denominator) {
    return (side + denominator - 1) / denominator; // as the decoder rounds
}
} // namespace

PreviewScale previewScale(int pictureWidth, int pictureHeight, double zoom, int viewWidth,
                          int viewHeight) {
    const double shownWidth = std::min<double>(viewWidth, std::ceil(pictureWidth * zoom));
    const double shownHeight = std::min<double>(viewHeight, std::ceil(pictureHeight * zoom));
    PreviewScale scale;
    for (int denominator : {8, 4, 2}) {
        const bool holdsEveryPixel = 1.0 / denominator >= zoom;
        const bool covers = scaledSide(pictureWidth, denominator) >= shownWidth &&
                            scaledSide(pictureHeight, denominator) >= shownHeight;
        if (holdsEveryPixel || covers) {
            scale.denominator = denominator;
            break;
        }
    }
    const int height = scaledSide(pictureHeight, scale.denominator);
    // One row more for the smoothing of the last one shown.
    const double shownRows = viewHeight / std::max(zoom, 1e-6) / scale.denominator + 1;
    scale.rows = int(std::min<double>(height, std::ceil(shownRows)));
    return scale;
}

} // namespace tovik
