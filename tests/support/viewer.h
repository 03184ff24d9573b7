#pragma once

#include "app/frmshowtell.h"
#include "support/fakes.h"

#include <QDir>
#include <QStatusBar>

#include <memory>

namespace tovik::test {

// The real main window over fakes, 640 x 480, shown.
struct Viewer {
    FakePlatform fake;
    ViewerState state;
    std::unique_ptr<frmShowTell> window;

    Viewer() {
        window = std::make_unique<frmShowTell>(fake.platform, state);
        window->resize(640, 480);
        window->show();
    }
    frmShowTell& w() { return *window; }
    // Opens these sample files through the toolbar's "Open".
    void open(const QStringList& names) {
        fake.answerOpen(names);
        w().Toolbar1->click(1);
    }
    QString status() const { return window->SB1->currentMessage(); }
    QString shownName() const { return status().section(QDir::separator(), -1); }
    // The enabled state of buttons 2 4 5 7 8 10 11 12 14, as 0s and 1s.
    QString buttonStates() const {
        QString out;
        for (int index : {2, 4, 5, 7, 8, 10, 11, 12, 14})
            out += window->Toolbar1->isEnabled(index) ? QLatin1Char('1') : QLatin1Char('0');
        return out;
    }
};

} // namespace tovik::test

#include <QApplication>
#include <QTimer>

#include <functional>

namespace tovik::test {

// Runs work on the next modal dialog once it is open (the dialog's exec() blocks the test).
// Nothing runs once context is gone, so an unused handler cannot reach into a later test.
inline void onNextDialog(QObject* context, std::function<void(QWidget*)> work) {
    QTimer::singleShot(0, context, [work = std::move(work)] {
        if (QWidget* dialog = QApplication::activeModalWidget())
            work(dialog);
    });
}

} // namespace tovik::test
