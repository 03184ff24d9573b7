// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "platform/platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace tovik {

namespace {
// folder (fallback when empty) joined with the platform's separator and a file name.
QString inFolder(const QString& folder, const QString& fallback, const QString& name) {
    return QDir::toNativeSeparators((folder.isEmpty() ? fallback : folder) + QLatin1Char('/') +
                                    name);
}
} // namespace

QString Platform::appFile(const QString& name) const {
    return inFolder(appFolder, appFolder, name);
}

QString Platform::workFile(const QString& name) const {
    return inFolder(workFolder, appFolder, name);
}

QString Platform::helpFile() const {
    return inFolder(helpFolder, appFolder, HelpFileName);
}

namespace {
bool writable(const QString& folder) {
    QTemporaryFile probe(folder + QStringLiteral("/.tovik-write-test-XXXXXX"));
    return probe.open();
}
} // namespace

bool installQtTranslations(QTranslator& translator, const QLocale& locale) {
    if (!translator.load(locale, QStringLiteral("qt"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(&translator);
}

UserFolders standardUserFolders() {
    const QString name = QStringLiteral("/tovik-viewer");
    return {QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + name,
            QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + name,
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + name};
}

QString standardThumbnailFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/thumbnails");
}

AppFolders appFolders(const QString& executableFolder, const UserFolders& user) {
    if (QFileInfo::exists(executableFolder + QLatin1Char('/') + HelpFileName) &&
        writable(executableFolder))
        return {executableFolder, executableFolder, executableFolder};
    QDir().mkpath(user.config);
    QDir().mkpath(user.cache);
    const QString settings = user.config + QStringLiteral("/viewer.ini");
    const QString earlier = user.oldDataDir + QStringLiteral("/viewer.ini");
    if (!QFileInfo::exists(settings) && QFileInfo::exists(earlier))
        QFile::rename(earlier, settings);
    return {user.config, user.cache,
            QDir::cleanPath(executableFolder + QStringLiteral("/../share/tovik-viewer"))};
}

} // namespace tovik
