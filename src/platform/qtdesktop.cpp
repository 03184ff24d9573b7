// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "platform/qtdesktop.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QUrl>

#include <memory>
#include <utility>

namespace tovik {

namespace {
// A service that takes longer is treated as absent: the viewer never waits on it.
constexpr int AnswerWithinMs = 1000;

std::unique_ptr<QDBusInterface> service(const char* name, const char* path, const char* face) {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return {};
    auto interface = std::make_unique<QDBusInterface>(QLatin1String(name), QLatin1String(path),
                                                      QLatin1String(face), bus);
    interface->setTimeout(AnswerWithinMs);
    return interface;
}

std::unique_ptr<QDBusInterface> screenSaver() {
    return service("org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
                   "org.freedesktop.ScreenSaver");
}
} // namespace

bool QtDesktop::showInFolder(const QString& path) {
    const auto manager = service("org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                                 "org.freedesktop.FileManager1");
    if (!manager)
        return false;
    const QStringList items{QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)};
    const QDBusMessage answer = manager->call(QStringLiteral("ShowItems"), items, QString());
    return answer.type() == QDBusMessage::ReplyMessage;
}

void QtDesktop::holdScreenAwake(bool on) {
    if (on == m_held)
        return;
    m_held = on;
    const auto saver = screenSaver();
    if (!saver)
        return;
    if (on) {
        const QDBusReply<quint32> cookie =
            saver->call(QStringLiteral("Inhibit"), QStringLiteral("tovik-viewer"),
                        QStringLiteral("A slide show or full screen is running"));
        m_cookie = cookie.isValid() ? cookie.value() : 0;
    } else if (m_cookie != 0) {
        saver->call(QStringLiteral("UnInhibit"), std::exchange(m_cookie, 0u));
    }
}

} // namespace tovik
