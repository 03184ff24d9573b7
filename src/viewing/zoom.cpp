// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "viewing/zoom.h"

#include "app/frmshowtell.h"
#include "core/zoomsteps.h"

namespace tovik {

void ZoomIn(frmShowTell& window) {
    float& zoom = window.state().ZoomFactor;
    for (;;) {
        zoom = zoomedIn(zoom);
        // A window too small for a viewport draws at this factor once it grows.
        if (window.redraw() != frmShowTell::Redraw::TooLarge)
            return;
        // One step below the factor that failed; at the smallest factor the surface stays empty.
        if (zoom <= MinZoom)
            return;
        zoom -= 2 * ZoomStep;
    }
}

void ZoomOut(frmShowTell& window) {
    float& zoom = window.state().ZoomFactor;
    zoom = zoomedOut(zoom);
    window.redraw();
}

void OriginalSize(frmShowTell& window) {
    window.state().ZoomFactor = 0.75f;
    ZoomIn(window);
}

} // namespace tovik
