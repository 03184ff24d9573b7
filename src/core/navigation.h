// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

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

// What one tick of the slide show does: nothing but stop (no list position), or show an entry
// and move CurrentIndex on; at the last entry the show loops to the first or ends there.
struct SlideStep {
    bool stop = false; // no list position: the show stops without showing anything
    qint32 show = 0;   // the entry to show
    qint32 next = 0;   // CurrentIndex afterwards
    bool ends = false; // the last entry was shown without looping: the show ends
};

SlideStep slideStep(qint32 currentIndex, qint32 pictureCount, bool loopForever);

} // namespace tovik
