// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "app/frmshowtell.h"
#include "app/toolbarbutton.h"
#include "commands/dispatcher.h"
#include "support/fakes.h"
#include "support/testmain.h"
#include "thumbnails/frmthumboption.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include <functional>
#include <memory>

namespace tovik::test {

// Runs work on the next modal dialog once it is open (the dialog's exec() blocks the test).
// Nothing runs once context is gone, so an unused handler cannot reach into a later test.
inline void onNextDialog(QObject* context, std::function<void(QWidget*)> work) {
    QTimer::singleShot(0, context, [work = std::move(work)] {
        if (QWidget* dialog = QApplication::activeModalWidget())
            work(dialog);
    });
}

// The real main window over fakes, 640 x 480, shown.
struct Viewer {
    FakePlatform fake;
    ViewerState state;
    Dispatcher commands;
    std::unique_ptr<frmShowTell> window;

    Viewer() {
        window = std::make_unique<frmShowTell>(fake.platform, state, commands);
        window->resize(640, 480);
        window->show();
    }
    frmShowTell& w() { return *window; }
    // Opens these sample files through the toolbar's "Open".
    void open(const QStringList& names) {
        fake.answerOpen(names);
        w().Toolbar1->click(OpenButton);
    }
    // Generate Thumbnails from the toolbar with these options confirmed by "&Go".
    void generate(const QString& percent, const QString& width) {
        QObject handlerLife;
        onNextDialog(&handlerLife, [&](QWidget* d) {
            auto* options = qobject_cast<frmThumbOption*>(d);
            options->txtPercent->setText(percent);
            options->txtWidth->setText(width);
            options->Command1->click();
        });
        w().Toolbar1->click(ThumbnailButton);
    }
    QString status() const { return window->SB1->currentMessage(); }
    QString shownName() const { return status().section(QDir::separator(), -1); }
    // The enabled state of buttons 2 4 5 7 8 10 11 12 14, as 0s and 1s.
    QString buttonStates() const {
        QString out;
        for (int index : ButtonsNeedingAPicture)
            out += window->Toolbar1->isEnabled(index) ? QLatin1Char('1') : QLatin1Char('0');
        return out;
    }
};

} // namespace tovik::test
