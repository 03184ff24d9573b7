// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QtGlobal>

namespace tovik {

// Whole-second wall time and a turn of the event loop, for the sheet builder's pauses.
class Clock {
public:
    virtual ~Clock() = default;
    virtual qint64 currentSecond() = 0;
    // Lets pending window events run, waiting a moment for more rather than spinning.
    virtual void processEvents() = 0;
};

class QtClock : public Clock {
public:
    qint64 currentSecond() override;
    void processEvents() override;
};

// Waits until the whole-second clock is past now + 1: between one and two seconds, with the
// window events running meanwhile.
void PauseOneSecond(Clock& clock);

} // namespace tovik
