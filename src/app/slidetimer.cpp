// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "app/slidetimer.h"

namespace tovik {

SlideTimer::SlideTimer(QObject* parent) : QObject(parent) {
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &SlideTimer::Timer);
}

void SlideTimer::setEnabled(bool enabled) {
    const bool changed = enabled != m_enabled;
    m_enabled = enabled;
    apply();
    if (changed)
        emit enabledChanged(enabled);
}

void SlideTimer::setInterval(int milliseconds) {
    m_interval = milliseconds;
    apply();
}

void SlideTimer::apply() {
    if (m_enabled && m_interval > 0)
        m_timer.start(m_interval);
    else
        m_timer.stop();
}

} // namespace tovik
