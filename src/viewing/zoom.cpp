#include "viewing/zoom.h"

#include "app/frmshowtell.h"
#include "core/zoomsteps.h"

namespace tovik {

namespace {
enum class Redraw { Done, NoRoom, NoPicture, Failed };

// Empties the surface and draws imgThree again at the current factor. A window too small for a
// viewport draws nothing yet; the next resize draws at the factor.
Redraw redrawAtFactor(frmShowTell& window) {
    window.imgOne->clear();
    if (!window.placeViewport())
        return Redraw::NoRoom;
    if (window.imgThree.isEmpty())
        return Redraw::NoPicture;
    if (!window.drawPicture())
        return Redraw::Failed;
    window.LayoutScrollBars();
    return Redraw::Done;
}
} // namespace

void ZoomIn(frmShowTell& window) {
    float& zoom = window.state().ZoomFactor;
    for (;;) {
        zoom = zoomedIn(zoom);
        if (redrawAtFactor(window) != Redraw::Failed)
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
    redrawAtFactor(window);
}

void OriginalSize(frmShowTell& window) {
    window.state().ZoomFactor = 0.75f;
    ZoomIn(window);
}

} // namespace tovik
