#include "platform/safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tovik {

namespace {

#ifdef Q_OS_WIN
int openNew(const QString& path) {
    return _wopen(reinterpret_cast<const wchar_t*>(path.utf16()),
                  _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}
int syncFile(int fd) {
    return _commit(fd);
}
int closeFile(int fd) {
    return _close(fd);
}
qint64 writeSome(int fd, const char* data, qint64 size) {
    return _write(fd, data, unsigned(std::min<qint64>(size, 1 << 30)));
}
bool replace(const QString& from, const QString& to) {
    return MoveFileExW(reinterpret_cast<const wchar_t*>(from.utf16()),
                       reinterpret_cast<const wchar_t*>(to.utf16()),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}
void syncFolder(const QString&) {} // MOVEFILE_WRITE_THROUGH did it
#else
int openNew(const QString& path) {
    // 0666 less the umask, as any new file of the user's.
    return ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                  0666);
}
int syncFile(int fd) {
    return ::fsync(fd);
}
int closeFile(int fd) {
    return ::close(fd);
}
qint64 writeSome(int fd, const char* data, qint64 size) {
    return ::write(fd, data, size_t(size));
}
bool replace(const QString& from, const QString& to) {
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}
// The rename itself is on disk only once the folder is.
void syncFolder(const QString& folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
#endif
} // namespace

SafeFile::SafeFile(const QString& path, Kind kind) : m_path(path), m_kind(kind) {
    // A link keeps pointing where it did: the file it names is the one replaced.
    const QFileInfo info(path);
    if (info.isSymLink())
        m_path = info.symLinkTarget();
}

SafeFile::~SafeFile() {
    if (m_fd >= 0)
        closeFile(m_fd);
    if (!m_temporary.isEmpty())
        QFile::remove(m_temporary);
}

QString SafeFile::temporaryPrefix(const QString& path) {
    return path + QStringLiteral(".tovik-");
}

bool SafeFile::fail(int error) {
    m_error = QString::fromLocal8Bit(std::strerror(error));
    return false;
}

bool SafeFile::open() {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate =
            temporaryPrefix(m_path) + QString::number(QRandomGenerator::global()->generate(), 36);
        m_fd = openNew(candidate);
        if (m_fd >= 0) {
            m_temporary = candidate;
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    return fail(errno);
}

bool SafeFile::write(const char* data, qint64 size) {
    if (m_fd < 0)
        return !m_error.isEmpty() ? false : fail(EBADF);
    while (size > 0) {
        const qint64 written = writeSome(m_fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) // no progress is a failure too: a full device may say nothing else
            return fail(written < 0 ? errno : ENOSPC);
        data += written;
        size -= written;
    }
    return true;
}

bool SafeFile::commit() {
    if (m_fd < 0)
        return !m_error.isEmpty() ? false : fail(EBADF);
    const bool synced = m_kind == Kind::WorkFile || syncFile(m_fd) == 0;
    const int syncError = errno;
    const bool closed = closeFile(m_fd) == 0;
    const int closeError = errno;
    m_fd = -1;
    if (!synced)
        return fail(syncError);
    if (!closed)
        return fail(closeError);
    if (!replace(m_temporary, m_path))
        return fail(errno);
    m_temporary.clear();
    if (m_kind == Kind::Durable)
        syncFolder(QFileInfo(m_path).absolutePath());
    return true;
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
