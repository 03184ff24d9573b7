// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "core/navigation.h"

namespace tovik {

std::optional<NavigationStep> navigationStep(qint32 currentIndex, qint32 pictureCount,
                                             qint32 direction) {
    if (pictureCount < 1)
        return std::nullopt;
    // 64-bit so that a marker near the top of the range cannot overflow.
    qint64 index = currentIndex;
    const qint64 count = pictureCount;
    if (direction == -1) {
        if (index < count + 50)
            index -= 2;
        if (index == count + LastEntryMarker)
            index -= 101;
    } else if (index > count) {
        index = count;
    }
    if (index < 1)
        index = 1;
    NavigationStep step;
    step.index = qint32(index);
    step.slideButtons = pictureCount != 1;
    step.back = index != 1;
    step.forward = index < count;
    return step;
}

SlideStep slideStep(qint32 currentIndex, qint32 pictureCount, bool loopForever) {
    if (currentIndex == 0)
        return {true, 0, 0, false};
    const qint32 show = currentIndex > pictureCount ? 1 : currentIndex;
    if (show != pictureCount)
        return {false, show, show + 1, false};
    if (loopForever)
        return {false, show, 1, false};
    return {false, show, pictureCount + LastEntryMarker, true};
}

} // namespace tovik
