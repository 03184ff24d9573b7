// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace tovik {

// The longest interval between slides: one day.
inline constexpr qint32 MaxSlideInterval = 86400;

// The timer's period for an interval in seconds. A value outside 0 to MaxSlideInterval (a
// hand-edited settings file) runs as the longest interval rather than stopping anything.
int slidePeriodMs(qint32 seconds);

// What the interval box holds: empty, a whole number of seconds in range, or anything else
// (too large, or pasted text that is not a plain number).
struct IntervalText {
    enum class Kind { Empty, Seconds, Refused } kind = Kind::Empty;
    qint32 seconds = 0;
};
IntervalText parseIntervalText(const QString& text);

} // namespace tovik
