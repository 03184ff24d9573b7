// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "platform/clock.h"

#include <QDateTime>
#include <QEventLoop>
#include <QTimer>

namespace tovik {

qint64 QtClock::currentSecond() {
    return QDateTime::currentSecsSinceEpoch();
}

void QtClock::processEvents() {
    QEventLoop loop;
    QTimer::singleShot(10, &loop, &QEventLoop::quit);
    loop.exec();
}

void PauseOneSecond(Clock& clock) {
    const qint64 deadline = clock.currentSecond() + 1;
    while (clock.currentSecond() <= deadline)
        clock.processEvents();
}

} // namespace tovik
