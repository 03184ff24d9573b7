// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "platform/qtdesktop.h"
#include "support/testmain.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QMutex>
#include <QTest>
#include <QThread>
#include <QUrl>

using namespace tovik;

namespace {
// A screen saver and a file manager on the session bus, answering from a thread of their own
// as other programs would; what they were asked is recorded.
class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    QStringList calls;
    QMutex mutex;
public slots:
    uint Inhibit(const QString& application, const QString& reason) {
        QMutexLocker lock(&mutex);
        calls << "Inhibit " + application + (reason.isEmpty() ? " without a reason" : "");
        return 42;
    }
    void UnInhibit(uint cookie) {
        QMutexLocker lock(&mutex);
        calls << "UnInhibit " + QString::number(cookie);
    }
};

class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList shown;
    QMutex mutex;
public slots:
    void ShowItems(const QStringList& uris, const QString&) {
        QMutexLocker lock(&mutex);
        shown << uris;
    }
};
} // namespace

class TestDesktop : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus: run under dbus-run-session");
        m_services.start();
        for (QObject* fake : {static_cast<QObject*>(&m_saver), static_cast<QObject*>(&m_files)})
            fake->moveToThread(&m_services);
        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "fakes");
        QVERIFY(bus.registerObject("/org/freedesktop/ScreenSaver", &m_saver,
                                   QDBusConnection::ExportAllSlots));
        QVERIFY(bus.registerObject("/org/freedesktop/FileManager1", &m_files,
                                   QDBusConnection::ExportAllSlots));
        QVERIFY(bus.registerService("org.freedesktop.ScreenSaver"));
        QVERIFY(bus.registerService("org.freedesktop.FileManager1"));
    }
    void cleanupTestCase() {
        m_services.quit();
        m_services.wait();
    }

    // Held once however often asked, let go with the cookie it was given.
    void theScreenSaverIsHeldOnceAndLetGo() {
        QtDesktop desktop;
        desktop.holdScreenAwake(true);
        desktop.holdScreenAwake(true);
        desktop.holdScreenAwake(false);
        desktop.holdScreenAwake(false);
        QMutexLocker lock(&m_saver.mutex);
        QCOMPARE(m_saver.calls, (QStringList{"Inhibit tovik-viewer", "UnInhibit 42"}));
    }

    void theFileManagerIsAskedForTheFile() {
        QtDesktop desktop;
        QVERIFY(desktop.showInFolder("/tmp/a b/photo #1.jpg"));
        QMutexLocker lock(&m_files.mutex);
        QCOMPARE(m_files.shown, QStringList{"file:///tmp/a%20b/photo%20%231.jpg"});
    }

private:
    QThread m_services;
    FakeScreenSaver m_saver;
    FakeFileManager m_files;
};

// Without a session bus both are courtesies that do nothing, at once and without a word.
class TestNoSessionBus : public QObject {
    Q_OBJECT
private slots:
    void nothingHappens() {
        if (QDBusConnection::sessionBus().isConnected())
            QSKIP("a session bus is there");
        QtDesktop desktop;
        desktop.holdScreenAwake(true);
        desktop.holdScreenAwake(false);
        QVERIFY(!desktop.showInFolder("/tmp/photo.jpg"));
    }
};

TOVIK_REGISTER_TEST(TestDesktop)
TOVIK_REGISTER_TEST(TestNoSessionBus)
#include "test_desktop.moc"
