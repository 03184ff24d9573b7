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
    // Whether a tick is due at some point (on, with a period above 0).
    bool isTicking() const { return m_timer.isActive(); }

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
