// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "platform/trash.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tovik {

namespace {
const QString NoTrashText = QStringLiteral("there is no trash on its file system");
const QString TakenText = QStringLiteral("another file has taken its place");

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

std::optional<dev_t> deviceOf(const QString& path) {
    struct stat st {};
    if (::lstat(native(path).constData(), &st) != 0)
        return std::nullopt;
    return st.st_dev;
}

// A folder of the user's alone, made when missing; false when what is there is anything else.
bool ownFolder(const QString& path) {
    if (::mkdir(native(path).constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    return ::lstat(native(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::getuid();
}

QString homeTrash() {
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (!QDir::isAbsolutePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return data + QStringLiteral("/Trash");
}

// The top of the file system holding path: its highest folder on the same device.
QString topOf(const QString& path, dev_t device) {
    QDir folder(QFileInfo(path).absolutePath());
    while (!folder.isRoot()) {
        QDir up = folder;
        if (!up.cdUp() || deviceOf(up.absolutePath()) != device)
            break;
        folder = up;
    }
    return folder.absolutePath();
}

// A trash on another file system: the administrator's shared one when it is sound (a real
// folder with the sticky bit), else the user's own at the top.
QString topTrash(const QString& top) {
    const QString uid = QString::number(::getuid());
    const QString shared = top + QStringLiteral("/.Trash");
    struct stat st {};
    if (::lstat(native(shared).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
        (st.st_mode & S_ISVTX) && ownFolder(shared + '/' + uid))
        return shared + '/' + uid;
    const QString own = top + QStringLiteral("/.Trash-") + uid;
    return ownFolder(own) ? own : QString();
}

struct Place {
    QString trash;
    QString pathInInfo; // absolute in the home trash, relative to the top elsewhere
};

std::optional<Place> trashFor(const QString& path) {
    const std::optional<dev_t> device = deviceOf(path);
    const QString home = homeTrash();
    if (!device || !QDir().mkpath(home))
        return std::nullopt;
    if (deviceOf(home) == device)
        return Place{home, path};
    const QString top = topOf(path, *device);
    const QString trash = topTrash(top);
    if (trash.isEmpty())
        return std::nullopt;
    return Place{trash, QDir(top).relativeFilePath(path)};
}

QString nameToTry(const QFileInfo& file, int attempt) {
    if (attempt == 1)
        return file.fileName();
    const QString suffix = file.suffix();
    return file.completeBaseName() + '.' + QString::number(attempt) +
           (suffix.isEmpty() ? QString() : '.' + suffix);
}

// Makes the .trashinfo under a name free in both files/ and info/; its descriptor, or -1.
int reserveName(const QString& trash, const QString& path, QString* name) {
    const QFileInfo file(path);
    for (int attempt = 1; attempt < 10000; ++attempt) {
        *name = nameToTry(file, attempt);
        if (deviceOf(trash + QStringLiteral("/files/") + *name))
            continue;
        const QByteArray info = native(trash + QStringLiteral("/info/") + *name + ".trashinfo");
        const int fd = ::open(info.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool writeInfo(int fd, const QString& pathInInfo) {
    const QByteArray text =
        "[Trash Info]\nPath=" + QUrl::toPercentEncoding(pathInInfo, "/") + "\nDeletionDate=" +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")).toLatin1() +
        '\n';
    const bool written = ::write(fd, text.constData(), size_t(text.size())) == text.size();
    return ::close(fd) == 0 && written;
}
} // namespace

std::optional<TrashedFile> moveToTrash(const QString& given, QString* error) {
    const QString path = QFileInfo(given).absoluteFilePath();
    const std::optional<Place> place = trashFor(path);
    if (!place || !ownFolder(place->trash + QStringLiteral("/files")) ||
        !ownFolder(place->trash + QStringLiteral("/info"))) {
        *error = deviceOf(path) ? NoTrashText : systemError(ENOENT);
        return std::nullopt;
    }
    QString name;
    const int fd = reserveName(place->trash, path, &name);
    const TrashedFile trashed{path, place->trash + QStringLiteral("/files/") + name,
                              place->trash + QStringLiteral("/info/") + name + ".trashinfo"};
    if (fd < 0 || !writeInfo(fd, place->pathInInfo) ||
        ::rename(native(path).constData(), native(trashed.file).constData()) != 0) {
        *error = systemError(errno);
        if (fd >= 0)
            QFile::remove(trashed.info);
        return std::nullopt;
    }
    return trashed;
}

bool restoreFromTrash(const TrashedFile& trashed, QString* error) {
    if (deviceOf(trashed.original)) {
        *error = TakenText;
        return false;
    }
    if (::rename(native(trashed.file).constData(), native(trashed.original).constData()) != 0) {
        *error = systemError(errno);
        return false;
    }
    QFile::remove(trashed.info);
    return true;
}

} // namespace tovik
