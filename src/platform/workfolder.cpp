#include "platform/workfolder.h"

#include "platform/platform.h"
#include "platform/safefile.h"

#include <QDir>
#include <QRegularExpression>

namespace tovik {

namespace {
const QString LockName = QStringLiteral(".tovik-viewer.lock");
const QString SettingsName = QStringLiteral("viewer.ini");
} // namespace

WorkFolder::WorkFolder(const QString& workBase, const QString& settingsFolder)
    : m_lock(workBase + QLatin1Char('/') + LockName), m_path(workBase) {
    if (m_lock.tryLock(0)) { // a lock whose holder died is taken over
        tidyLeftovers(workBase, settingsFolder);
        return;
    }
    m_private =
        std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/tovik-viewer-XXXXXX"));
    if (m_private->isValid())
        m_path = m_private->path();
    else
        m_private.reset(); // nowhere else to go: share the folder, as before
}

void tidyLeftovers(const QString& workFolder, const QString& settingsFolder) {
    QDir work(workFolder);
    work.remove(ScratchFileName);
    work.remove(SheetFileName);
    QDir dir(settingsFolder);
    // Our own temporaries, and those of the settings writer of earlier versions.
    const QString ours = QFileInfo(SafeFile::temporaryPrefix(SettingsName)).fileName();
    static const QRegularExpression earlier(QStringLiteral("^viewer\\.ini\\.[A-Za-z0-9]{6}$"));
    for (const QString& name :
         dir.entryList({SettingsName + QStringLiteral(".*")}, QDir::Files | QDir::Hidden))
        if (name.startsWith(ours) || earlier.match(name).hasMatch())
            dir.remove(name);
}

} // namespace tovik
