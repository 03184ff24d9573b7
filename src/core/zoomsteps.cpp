// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "core/zoomsteps.h"

namespace tovik {

float zoomedIn(float factor) {
    const float next = factor + ZoomStep;
    return next > MaxZoom ? MaxZoom : next;
}

float zoomedOut(float factor) {
    const float next = factor - ZoomStep;
    return next < MinZoom ? MinZoom : next;
}

} // namespace tovik
