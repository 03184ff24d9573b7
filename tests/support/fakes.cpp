// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "support/fakes.h"

#include "core/dialogtext.h"

#include <QDir>
#include <QFile>
#include <QPrinter>

namespace tovik::test {

FakeScreen::FakeScreen() {
    g.tppX = g.tppY = 15;
    g.primary = {0, 0, 1280 * 15, 1024 * 15};
    g.screens = {g.primary};
}

FileAnswer FakeDialogs::answerFile(const QString& filter) {
    filtersSeen << filter;
    if (whileOpen)
        whileOpen();
    return fileAnswers.isEmpty() ? FileAnswer{} : fileAnswers.takeFirst();
}

FileAnswer FakeDialogs::openFiles(const QString& filter) {
    return answerFile(filter);
}

FileAnswer FakeDialogs::saveFile(const QString& filter) {
    return answerFile(filter);
}

ColorAnswer FakeDialogs::chooseColor() {
    return colorAnswers.isEmpty() ? ColorAnswer{} : colorAnswers.takeFirst();
}

bool FakeDialogs::choosePrinter(QPrinter& printer) {
    if (whileOpen)
        whileOpen();
    if (printTo.isEmpty())
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printTo);
    return true;
}

std::optional<RegistryValue> FakeRegistry::queryValue(quint32 root, const QString& key,
                                                      const QString& valueName) {
    queried << key + "|" + valueName;
    if (root != LocalMachine || !values.contains(key + "|" + valueName))
        return std::nullopt;
    return values.value(key + "|" + valueName);
}

bool FakeRegistry::startProgram(const QString& path) {
    started << path;
    return startable.contains(path);
}

FakePlatform::FakePlatform()
    : platform{screen, messages, dialogs,  nviewlib, clock,
               help,   shell,    registry, desktop,  folder.path()} {
    platform.thumbnailFolder = folder.path() + QStringLiteral("/thumbnails");
}

QStringList FakePlatform::copySamples(const QStringList& names) const {
    QStringList paths;
    for (const QString& name : names) {
        const QString sample = QStringLiteral(TOVIK_TESTDATA "/") + name;
        // A missing sample would make a test pass or fail for the wrong reason: stop here.
        if (!QFile::exists(file(name)) && !QFile::copy(sample, file(name)))
            qFatal("cannot copy the sample %s into the test folder", qPrintable(sample));
        paths << file(name);
    }
    return paths;
}

void FakePlatform::answerOpen(const QStringList& names) {
    dialogs.fileAnswers << FileAnswer{DialogResult::Accepted,
                                      selectedFilesText(copySamples(names))};
}

void FakePlatform::write(const QString& name, const QByteArray& bytes) const {
    QFile f(file(name));
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

QStringList FakePlatform::filesBut(const QStringList& expected) const {
    QStringList others;
    for (const QString& name : QDir(folder.path()).entryList(QDir::Files | QDir::Hidden))
        if (!expected.contains(name))
            others << name;
    return others;
}

QByteArray FakePlatform::read(const QString& name) const {
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace tovik::test
