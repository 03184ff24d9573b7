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
