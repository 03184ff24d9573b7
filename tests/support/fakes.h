// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "nviewlib/nviewlib.h"
#include "platform/platform.h"

#include <QList>
#include <QMap>
#include <QPair>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>

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
    // Like a real box it lets events through while it is open: whileShown runs then, for the
    // outermost box only, and deepest counts the boxes that were ever open at once.
    void message(const QString& title, const QString& text) override {
        shown.append({title, text});
        ++depth;
        deepest = std::max(deepest, depth);
        if (depth == 1 && whileShown)
            whileShown();
        --depth;
    }
    bool confirm(const QString& title, const QString& text) override {
        message(title, text);
        return confirmAnswers.isEmpty() ? false : confirmAnswers.takeFirst();
    }
    QList<QPair<QString, QString>> shown; // (title, text)
    QList<bool> confirmAnswers;           // the answers to questions, in order; then No
    std::function<void()> whileShown;
    int depth = 0, deepest = 0;
};

// Answers the dialogs from a script, in order; an empty script cancels. Like a real dialog it
// lets events through while it is open: whileOpen runs then.
class FakeDialogs : public Dialogs {
public:
    FileAnswer openFiles(const QString& filter) override;
    FileAnswer saveFile(const QString& filter) override;
    ColorAnswer chooseColor() override;
    // Prints to printTo as a PDF file; cancelled when printTo is empty.
    bool choosePrinter(QPrinter& printer) override;

    QString printTo;
    QList<FileAnswer> fileAnswers;
    QList<ColorAnswer> colorAnswers;
    QStringList filtersSeen;
    std::function<void()> whileOpen;

private:
    FileAnswer answerFile(const QString& filter);
};

// Time moves only when the code under test lets events run: one second each time.
class FakeClock : public Clock {
public:
    qint64 currentSecond() override { return now; }
    void processEvents() override {
        ++now;
        ++turns;
        if (duringNextPause)
            std::exchange(duringNextPause, nullptr)(); // what a person does in that second
    }
    qint64 now = 1000;
    int turns = 0;
    std::function<void()> duringNextPause;
};

class FakeHelp : public HelpEngine {
public:
    void showContents(const QString& helpFile) override { calls << "contents:" + helpFile; }
    void showIndex(const QString& helpFile) override { calls << "index:" + helpFile; }
    QStringList calls;
};

class FakeShell : public Shell {
public:
    void open(const QString& address) override { opened << address; }
    QStringList opened;
};

// Records what the desktop was asked; shows files in their folder unless told there is no file
// manager.
class FakeDesktop : public Desktop {
public:
    bool showInFolder(const QString& path) override {
        shown << path;
        return hasFileManager;
    }
    void holdScreenAwake(bool on) override {
        if (on != held)
            holds << on;
        held = on;
    }
    QStringList shown;
    bool hasFileManager = true;
    bool held = false;
    QList<bool> holds; // each change, in order
};

// Values by "key|value name"; programs that start are those listed in startable.
class FakeRegistry : public Registry {
public:
    std::optional<RegistryValue> queryValue(quint32 root, const QString& key,
                                            const QString& valueName) override;
    bool startProgram(const QString& path) override;
    QMap<QString, RegistryValue> values;
    QStringList queried, started, startable;
};

// A platform of fakes over a fresh temporary application folder.
struct FakePlatform {
    FakePlatform();
    QTemporaryDir folder;
    FakeScreen screen;
    FakeMessages messages;
    FakeDialogs dialogs;
    NViewLib nviewlib; // the real one, on temporary files
    FakeClock clock;
    FakeHelp help;
    FakeShell shell;
    FakeRegistry registry;
    FakeDesktop desktop;
    Platform platform;

    QString file(const QString& name) const { return platform.appFile(name); }
    void write(const QString& name, const QByteArray& bytes) const;
    QByteArray read(const QString& name) const;
    // Whether anything but these names is in the application folder (a temporary file left).
    QStringList filesBut(const QStringList& expected) const;
    // Copies files of the sample corpus into the application folder, unless the test made a file
    // of that name there itself; returns their paths.
    QStringList copySamples(const QStringList& names) const;
    // Scripts the next Open dialog to answer with these sample files.
    void answerOpen(const QStringList& names);
};

} // namespace tovik::test
