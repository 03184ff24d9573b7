// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "platform/workfolder.h"

#include "platform/platform.h"
#include "platform/safefile.h"

#include <QDir>
#include <QRegularExpression>
#include <QSet>

#include <unistd.h>

namespace tovik {

namespace {
const QString LockName = QStringLiteral(".tovik-viewer.lock");
const QString SettingsName = QStringLiteral("viewer.ini");
const QString PrivatePrefix = QStringLiteral("tovik-viewer-");

QString privateFolderPattern() {
    return QDir::tempPath() + QLatin1Char('/') + PrivatePrefix + QStringLiteral("XXXXXX");
}

// Removes the private folders whose viewer died; returns the process ids of those still alive.
QSet<qint64> privateFoldersOfLiveViewers() {
    QSet<qint64> live;
    const QDir temp(QDir::tempPath());
    for (const QFileInfo& folder :
         temp.entryInfoList({PrivatePrefix + QLatin1Char('*')}, QDir::Dirs | QDir::Hidden)) {
        const QString lockPath = folder.filePath() + QLatin1Char('/') + LockName;
        if (folder.ownerId() != ::geteuid() || !QFileInfo::exists(lockPath))
            continue; // someone else's, or a viewer still making its folder
        QLockFile lock(lockPath);
        if (lock.tryLock(0)) { // its holder is gone
            lock.unlock();
            QDir(folder.filePath()).removeRecursively();
            continue;
        }
        qint64 pid = 0;
        if (lock.getLockInfo(&pid, nullptr, nullptr))
            live << pid;
    }
    return live;
}

// Temporaries beside name: "<name>.tovik-<pid>-<random>"; those of earlier versions had no pid.
void removeTemporaries(QDir dir, const QString& name, const QSet<qint64>& liveWriters) {
    const QString ours = QFileInfo(SafeFile::temporaryPrefix(name)).fileName();
    static const QRegularExpression withWriter(QStringLiteral("^(\\d+)-"));
    static const QRegularExpression earlier(QStringLiteral("^viewer\\.ini\\.[A-Za-z0-9]{6}$"));
    for (const QString& entry :
         dir.entryList({name + QStringLiteral(".*")}, QDir::Files | QDir::Hidden)) {
        if (earlier.match(entry).hasMatch()) {
            dir.remove(entry);
            continue;
        }
        if (!entry.startsWith(ours))
            continue; // the user's own (viewer.ini.bak)
        const auto writer = withWriter.match(entry.mid(ours.size()));
        if (!writer.hasMatch() || !liveWriters.contains(writer.captured(1).toLongLong()))
            dir.remove(entry);
    }
}
} // namespace

WorkFolder::WorkFolder(const QString& workBase, const QString& settingsFolder)
    : m_lock(workBase + QLatin1Char('/') + LockName), m_path(workBase) {
    m_lock.setStaleLockTime(0); // held for as long as the viewer runs, however long
    if (m_lock.tryLock(0)) {    // a lock whose holder died is taken over
        tidyLeftovers(workBase, settingsFolder);
        return;
    }
    m_private = std::make_unique<QTemporaryDir>(privateFolderPattern());
    if (!m_private->isValid()) {
        m_private.reset(); // nowhere else to go: share the folder, as before
        return;
    }
    m_path = m_private->path();
    m_privateLock = std::make_unique<QLockFile>(m_path + QLatin1Char('/') + LockName);
    m_privateLock->setStaleLockTime(0);
    m_privateLock->tryLock(0);
}

void tidyLeftovers(const QString& workFolder, const QString& settingsFolder) {
    QDir work(workFolder);
    QSet<qint64> live = privateFoldersOfLiveViewers();
    live << qint64(::getpid());
    for (const QString& name : {ScratchFileName, SheetFileName}) {
        work.remove(name);
        removeTemporaries(work, name, {}); // only this viewer may write here now
    }
    for (const QString& copy : work.entryList({UndoCopyPrefix + '*'}, QDir::Files))
        work.remove(copy);
    removeTemporaries(QDir(settingsFolder), SettingsName, live);
}

} // namespace tovik
