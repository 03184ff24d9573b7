// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "app/frmshowtell.h"
#include "benchsupport.h"
#include "commands/dispatcher.h"
#include "imaging/startup.h"
#include "nviewlib/nviewlib.h"
#include "platform/qtdesktop.h"
#include "platform/qtdialogs.h"
#include "platform/qthelpengine.h"
#include "platform/qtscreenmetrics.h"
#include "viewing/display.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <QFile>
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
    bool confirm(const QString&, const QString&) override { return true; }
};

// The real main window over the real platform, in a temporary application folder; messages are
// not shown and pauses do not wait.
struct BenchViewer {
    BenchViewer() = default;
    // thumbnails: the desktop's shared thumbnails, none kept when empty.
    explicit BenchViewer(QString thumbnails) : thumbnails(std::move(thumbnails)) {}

    // Memory handled as the program's start sets it up.
    struct Start {
        Start() {
            shareOneMemoryArena();
            ignoreBrokenPipes();
            useDecodingHelper();
        }
    } start;
    QTemporaryDir folder;
    QtScreenMetrics screen;
    SilentMessages messages;
    QtDialogs dialogs;
    NViewLib nviewlib;
    NoWaitClock clock;
    QtHelpEngine help;
    QtShell shell;
    SystemRegistry registry;
    QtDesktop desktop;
    QString thumbnails;
    Platform platform{screen,   messages, dialogs,       nviewlib, clock, help,      shell,
                      registry, desktop,  folder.path(), {},       {},    thumbnails};
    ViewerState state;
    Dispatcher commands;
    frmShowTell window{platform, state, commands};

    // A photo-like JPEG of width x height written into the viewer's folder; returns its path.
    QString writePhoto(int width, int height, const QString& name = "large.jpg") const;
};

inline QString BenchViewer::writePhoto(int width, int height, const QString& name) const {
    const QString path = folder.filePath(name);
    QFile out(path);
    if (out.open(QIODevice::WriteOnly))
        out.write(makePhotoJpeg(width, height, 90));
    return path;
}

// Until what the step changed is on the screen.
inline void drawNow(frmShowTell& window) {
    QCoreApplication::processEvents();
    window.imgTwo->repaint();
}

// Until the full picture has taken its preview's place, and is drawn.
inline void untilFull(frmShowTell& window) {
    while (window.unfinished)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    drawNow(window);
}

struct Opening {
    double firstPaint = 1e300, full = 1e300;
};

// Display of path from a picture already shown: to its first paint, and to the full picture
// drawn; the best of three. With several paths, each is shown once, none seen before.
inline Opening timeOpening(frmShowTell& window, const QStringList& paths) {
    Opening best;
    for (int run = 0; run < 3; ++run) {
        const QString& path = paths.at(run % paths.size());
        window.picturesAhead.waitForDecodes();
        QElapsedTimer t;
        t.start();
        tovik::Display(window, path);
        drawNow(window);
        best.firstPaint = std::min(best.firstPaint, t.nsecsElapsed() / 1e6);
        untilFull(window);
        best.full = std::min(best.full, t.nsecsElapsed() / 1e6);
    }
    return best;
}

} // namespace tovik::bench
