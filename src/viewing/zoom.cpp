// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "viewing/zoom.h"

#include "app/frmshowtell.h"
#include "core/zoomsteps.h"
#include "settings/drives.h"

namespace tovik {

void setFitToWindow(frmShowTell& window, bool on) {
    ViewerState& s = window.state();
    if (s.FitToWindow == on)
        return;
    s.FitToWindow = on;
    // A failure costs only the next run's mode.
    WriteSwitch(on, window.platform().appFile(FitFileName));
}

void FitToWindowCommand(frmShowTell& window) {
    setFitToWindow(window, !window.state().FitToWindow);
    window.redraw();
}

void FullScreenCommand(frmShowTell& window) {
    window.setFullScreen(!window.fullScreen());
}

void LeaveFullScreenCommand(frmShowTell& window) {
    window.setFullScreen(false);
}

void ZoomIn(frmShowTell& window) {
    setFitToWindow(window, false); // zooming by hand ends fitting
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
    setFitToWindow(window, false); // zooming by hand ends fitting
    float& zoom = window.state().ZoomFactor;
    zoom = zoomedOut(zoom);
    window.redraw();
}

void OriginalSize(frmShowTell& window) {
    setFitToWindow(window, false); // zooming by hand ends fitting
    window.state().ZoomFactor = 0.75f;
    ZoomIn(window);
}

} // namespace tovik
