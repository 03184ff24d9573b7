#include "platform/platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace tovik {

QString Platform::appFile(const QString& name) const {
    return QDir::toNativeSeparators(appFolder + QLatin1Char('/') + name);
}

QString Platform::workFile(const QString& name) const {
    const QString folder = workFolder.isEmpty() ? appFolder : workFolder;
    return QDir::toNativeSeparators(folder + QLatin1Char('/') + name);
}

QString Platform::helpFile() const {
    const QString folder = helpFolder.isEmpty() ? appFolder : helpFolder;
    return QDir::toNativeSeparators(folder + QLatin1Char('/') + HelpFileName);
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
