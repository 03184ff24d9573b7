#pragma once

#include "app/frmshowtell.h"
#include "platform/qtdialogs.h"
#include "platform/qthelpengine.h"
#include "platform/qtscreenmetrics.h"

#include <QTemporaryDir>

namespace tovik::bench {

// Time passes at every look, so the sheet builder's pauses cost nothing.
class NoWaitClock : public Clock {
public:
    qint64 currentSecond() override { return ++m_now; }
    void processEvents() override {}

private:
    qint64 m_now = 0;
};

class SilentMessages : public Messages {
public:
    void message(const QString&, const QString&) override {}
};

// The real main window over the real platform, in a temporary application folder; messages are
// not shown and pauses do not wait.
struct BenchViewer {
    QTemporaryDir folder;
    QtScreenMetrics screen;
    SilentMessages messages;
    QtDialogs dialogs;
    NViewLib nviewlib;
    NoWaitClock clock;
    QtHelpEngine help;
    QtShell shell;
    SystemRegistry registry;
    Platform platform{screen, messages, dialogs,  nviewlib,     clock,
                      help,   shell,    registry, folder.path()};
    ViewerState state;
    frmShowTell window{platform, state};
};

} // namespace tovik::bench
