// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "platform/safefile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace tovik {

namespace {
std::function<void(const QString&)>& syncObserver() {
    static std::function<void(const QString&)> observer;
    return observer;
}

QByteArray local(const QString& path) {
    return QFile::encodeName(path);
}

// Follows a chain of links to the file it ends at, which may not exist yet. ELOOP in error when
// the chain does not end.
QString endOfLinks(QString path, int* error) {
    constexpr int MostLinks = 40; // the system's own limit
    for (int i = 0; i < MostLinks; ++i) {
        const QFileInfo info(path);
        if (!info.isSymLink())
            return path;
        path = info.symLinkTarget();
    }
    *error = ELOOP;
    return path;
}

// Extended attributes, ACLs (system.posix_acl_access) among them, copied from the replaced file;
// those this process may not set (security.*, trusted.* for a user) stay behind.
void copyAttributes(const QByteArray& from, int to) {
    const ssize_t length = ::listxattr(from.constData(), nullptr, 0);
    if (length <= 0)
        return;
    QByteArray names(length, '\0');
    const ssize_t got = ::listxattr(from.constData(), names.data(), size_t(names.size()));
    for (qsizetype at = 0; got > 0 && at < got;
         at += qsizetype(std::strlen(names.constData() + at)) + 1) {
        const char* name = names.constData() + at;
        const ssize_t size = ::getxattr(from.constData(), name, nullptr, 0);
        if (size < 0)
            continue;
        QByteArray value(size, '\0');
        if (::getxattr(from.constData(), name, value.data(), size_t(value.size())) == size)
            ::fsetxattr(to, name, value.constData(), size_t(value.size()), 0);
    }
}
} // namespace

SafeFile::SafeFile(const QString& path, Kind kind)
    : m_path(endOfLinks(path, &m_linkError)), m_kind(kind) {}

SafeFile::~SafeFile() {
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_temporary.isEmpty())
        QFile::remove(m_temporary);
}

QString SafeFile::temporaryPrefix(const QString& path) {
    return path + QStringLiteral(".tovik-");
}

void SafeFile::setSyncObserver(std::function<void(const QString&)> observer) {
    syncObserver() = std::move(observer);
}

bool SafeFile::fail(int error) {
    m_error = QString::fromLocal8Bit(std::strerror(error));
    return false;
}

bool SafeFile::open() {
    if (m_linkError != 0)
        return fail(m_linkError);
    struct stat old {};
    const bool replacing = ::stat(local(m_path).constData(), &old) == 0;
    // The rename needs only the folder's write right: ask for the file's own, as an open would.
    if (replacing && ::faccessat(AT_FDCWD, local(m_path).constData(), W_OK, AT_EACCESS) != 0)
        return fail(errno);
    const QString prefix = temporaryPrefix(m_path) + QString::number(::getpid()) + QLatin1Char('-');
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        const QString candidate =
            prefix + QString::number(QRandomGenerator::global()->generate(), 36);
        // A new file gets 0666 less the umask, as any of the user's; a replacement starts private
        // and takes the old file's mode once its owner is set.
        m_fd = ::open(local(candidate).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                      replacing ? 0600 : 0666);
        if (m_fd >= 0)
            m_temporary = candidate;
        else if (errno != EEXIST)
            return fail(errno);
    }
    if (m_fd < 0)
        return fail(EEXIST);
    if (replacing) {
        if (::fchown(m_fd, old.st_uid, old.st_gid) != 0)
            (void)!::fchown(m_fd, uid_t(-1), old.st_gid); // a group of one's own may still be set
        ::fchmod(m_fd, old.st_mode & 07777);
        copyAttributes(local(m_path), m_fd);
    }
    return true;
}

bool SafeFile::write(const char* data, qint64 size) {
    if (m_fd < 0)
        return !m_error.isEmpty() ? false : fail(EBADF);
    while (size > 0) {
        const ssize_t written = ::write(m_fd, data, size_t(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) // no progress is a failure too: a full device may say nothing else
            return fail(written < 0 ? errno : ENOSPC);
        data += written;
        size -= written;
    }
    return true;
}

bool SafeFile::sync(int fd, const QString& what) {
    if (::fsync(fd) != 0)
        return false;
    if (syncObserver())
        syncObserver()(what);
    return true;
}

bool SafeFile::commit() {
    if (m_fd < 0)
        return !m_error.isEmpty() ? false : fail(EBADF);
    const bool durable = m_kind == Kind::Durable;
    const bool synced = !durable || sync(m_fd, m_temporary);
    const int syncError = errno;
    const bool closed = ::close(m_fd) == 0;
    const int closeError = errno;
    m_fd = -1;
    if (!synced)
        return fail(syncError);
    if (!closed)
        return fail(closeError);
    // A work file takes its name as a new file: a rename over another makes ext4 write the whole
    // of it out at once (auto_da_alloc), time spent for a file that never needs the disk.
    if (!durable)
        ::unlink(local(m_path).constData());
    if (::rename(local(m_temporary).constData(), local(m_path).constData()) != 0)
        return fail(errno);
    m_temporary.clear();
    if (!durable)
        return true;
    // The rename itself is on disk only once the folder is.
    const QString folder = QFileInfo(m_path).absolutePath();
    const int fd = ::open(local(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool folderSynced = fd >= 0 && sync(fd, folder);
    const int folderError = errno;
    if (fd >= 0)
        ::close(fd);
    return folderSynced || fail(folderError);
}

bool writeFileSafely(const QString& path, const QByteArray& data, SafeFile::Kind kind,
                     QString* error) {
    SafeFile file(path, kind);
    if (file.open() && file.write(data) && file.commit())
        return true;
    *error = file.errorString();
    return false;
}

} // namespace tovik
