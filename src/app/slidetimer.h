// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QObject>
#include <QTimer>

namespace tovik {

// Timer1: on or off, with a period in milliseconds. A period of 0 leaves it on but silent, so the
// show halts without counting as stopped. Setting the period restarts the wait.
class SlideTimer : public QObject {
    Q_OBJECT
public:
    explicit SlideTimer(QObject* parent = nullptr);

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    int interval() const { return m_interval; }
    void setInterval(int milliseconds);
    // The next tick one whole period from now (after a command that dropped one).
    void restartWait() { apply(); }

signals:
    void Timer();
    void enabledChanged(bool enabled);

private:
    void apply();
    QTimer m_timer;
    bool m_enabled = false;
    int m_interval = 0;
};

} // namespace tovik
