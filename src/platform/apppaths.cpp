#include "platform/platform.h"

#include <QDir>
#include <QFileInfo>
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

QString writableAppFolder(const QString& executableFolder) {
    QTemporaryFile probe(executableFolder + QStringLiteral("/.tovik-write-test-XXXXXX"));
    if (probe.open())
        return executableFolder;
    const QString own = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(own);
    return own;
}

QString installedHelpFolder(const QString& executableFolder) {
    if (QFileInfo::exists(executableFolder + QLatin1Char('/') + HelpFileName))
        return executableFolder;
    return QDir::cleanPath(executableFolder + QStringLiteral("/../share/tovik-viewer"));
}

} // namespace tovik
