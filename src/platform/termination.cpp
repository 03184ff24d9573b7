// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "platform/termination.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QSocketNotifier>
#include <QWidget>

#include <csignal>

#include <sys/socket.h>
#include <unistd.h>

namespace tovik {

namespace {
int signalled[2] = {-1, -1}; // the handler writes into [0], the event loop reads [1]

void onSignal(int) {
    const char byte = 1;
    (void)!::write(signalled[0], &byte, 1); // all a signal handler may safely do
}

// Once the program is ending, a dialog or message box is answered as cancelled the moment it is
// shown: a command that opens one after another must not hold the end back.
class DialogCanceller : public QObject {
public:
    using QObject::QObject;
    void cancelAll() {
        if (m_active)
            return;
        m_active = true;
        qApp->installEventFilter(this);
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
                dialog->reject();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show)
            if (auto* dialog = qobject_cast<QDialog*>(watched); dialog && dialog->isWindow())
                QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
        return false;
    }

private:
    bool m_active = false;
};

void endProgram(QWidget* window, DialogCanceller* canceller) {
    canceller->cancelAll();
    if (window && window->isVisible())
        window->close(); // waits for a running command's next safe point
    else
        QCoreApplication::quit(); // closed already: nothing is left to wait for
}
} // namespace

void closeOnTermination(QWidget* window) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalled) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalled[1], QSocketNotifier::Read, window);
    // Owned by the window: a window gone takes its filter with it.
    auto* canceller = new DialogCanceller(window);
    QObject::connect(notifier, &QSocketNotifier::activated, window,
                     [target = QPointer<QWidget>(window), canceller] {
                         char byte;
                         (void)!::read(signalled[1], &byte, 1);
                         endProgram(target, canceller);
                     });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

} // namespace tovik
