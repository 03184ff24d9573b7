// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "platform/termination.h"

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
} // namespace

void closeOnTermination(QWidget* window) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalled) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalled[1], QSocketNotifier::Read, window);
    QObject::connect(notifier, &QSocketNotifier::activated, window,
                     [target = QPointer<QWidget>(window)] {
                         char byte;
                         (void)!::read(signalled[1], &byte, 1);
                         if (target)
                             target->close();
                     });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

} // namespace tovik
