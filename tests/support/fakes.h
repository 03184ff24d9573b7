#pragma once

#include "platform/platform.h"

#include <QList>
#include <QPair>
#include <QTemporaryDir>

#include <memory>

namespace tovik::test {

// A 1280 x 1024 pixel screen at 96 DPI unless a test says otherwise.
class FakeScreen : public ScreenMetrics {
public:
    FakeScreen();
    ScreenGeometry geometry() const override { return g; }
    ScreenGeometry g;
};

class FakeMessages : public Messages {
public:
    void message(const QString& title, const QString& text) override {
        shown.append({title, text});
    }
    QList<QPair<QString, QString>> shown; // (title, text)
};

// A platform of fakes over a fresh temporary application folder.
struct FakePlatform {
    FakePlatform();
    QTemporaryDir folder;
    FakeScreen screen;
    FakeMessages messages;
    Platform platform;

    QString file(const QString& name) const { return platform.appFile(name); }
    void write(const QString& name, const QByteArray& bytes) const;
    QByteArray read(const QString& name) const;
};

} // namespace tovik::test
