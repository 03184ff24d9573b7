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
