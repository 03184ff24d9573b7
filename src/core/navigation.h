#pragma once

#include <QtGlobal>

#include <optional>

namespace tovik {

// CurrentIndex points one past the picture on screen; this value above PictureCount marks that
// the last entry is on screen.
inline constexpr qint32 LastEntryMarker = 100;

struct NavigationStep {
    qint32 index = 1;         // the entry to show
    bool slideButtons = true; // ClockTimer and LoopForever usable (more than one entry)
    bool back = false;        // LeftArrow enabled
    bool forward = false;     // RightArrow enabled
};

// The entry a manual step shows. Direction -1 is back, anything else forward (0 after Open
// shows the entry at currentIndex). nullopt while there is no list.
std::optional<NavigationStep> navigationStep(qint32 currentIndex, qint32 pictureCount,
                                             qint32 direction);

} // namespace tovik
