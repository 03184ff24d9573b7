// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "core/slideinterval.h"

#include "core/numbertext.h"

namespace tovik {

int slidePeriodMs(qint32 seconds) {
    const qint32 used = seconds >= 0 && seconds <= MaxSlideInterval ? seconds : MaxSlideInterval;
    return used * 1000;
}

IntervalText parseIntervalText(const QString& text) {
    if (text.isEmpty())
        return {};
    if (const auto seconds = plainNumber(text, MaxSlideInterval))
        return {IntervalText::Kind::Seconds, *seconds};
    return {IntervalText::Kind::Refused, 0};
}

} // namespace tovik
