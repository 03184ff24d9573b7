// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/openpicture.h"

#include "imaging/decoding/route.h"
#include "imaging/turning/jpegorientation.h"
#include "plugins/rawembedded.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovik {

namespace {
std::atomic<int> opened = 0;

// The previews opened last, by their RAW's device, inode, size and times: the first
// look and the full decode that follows it open the same one, and so do a decode ahead and the
// step onto it. Each is opened again through /proc, so that every reader has its own offset.
// Files found to have none that serves (a TIFF, a RAW to develop) are kept too, as -1, so that
// the helper is asked once.
class OpenedPreviews {
public:
    // The preview of raw, opened anew: -1 for none, nothing when it has not been looked for.
    std::optional<int> find(const struct stat& raw) {
        const std::lock_guard lock(m_mutex);
        for (const Kept& kept : m_kept)
            if (sameFile(kept.raw, raw))
                return kept.memory < 0 ? -1 : reopened(kept.memory);
        return std::nullopt;
    }
    void keep(const struct stat& raw, int memory, qint64 bytes) {
        const int own = memory < 0 ? -1 : reopened(memory);
        if (memory >= 0 && own < 0)
            return;
        const std::lock_guard lock(m_mutex);
        m_kept.push_front({raw, own, bytes});
        m_bytes += bytes;
        while (m_kept.size() > 1 && (m_kept.size() > MostKept || m_bytes > MostBytes)) {
            if (m_kept.back().memory >= 0)
                ::close(m_kept.back().memory);
            m_bytes -= m_kept.back().bytes;
            m_kept.pop_back();
        }
    }

private:
    // A few photos' previews; fewer of a camera whose previews are large.
    static constexpr size_t MostKept = 8;
    static constexpr qint64 MostBytes = qint64(64) << 20;
    struct Kept {
        struct stat raw;
        int memory;
        qint64 bytes;
    };
    static bool sameFile(const struct stat& a, const struct stat& b) {
        return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
               a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
               a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
    }
    static int reopened(int fd) {
        return ::open(("/proc/self/fd/" + QByteArray::number(fd)).constData(),
                      O_RDONLY | O_CLOEXEC);
    }
    std::mutex m_mutex;
    std::deque<Kept> m_kept;
    qint64 m_bytes = 0;
};

OpenedPreviews& openedPreviews() {
    static OpenedPreviews previews;
    return previews;
}

// length bytes of from, at *at on, after what to holds: copied by the kernel alone.
bool copied(int to, int from, off_t* at, qint64 length) {
    while (length > 0) {
        const ssize_t sent = ::sendfile(to, from, at, size_t(std::min<qint64>(length, 1 << 30)));
        if (sent <= 0)
            return false;
        length -= sent;
    }
    return true;
}

// The preview at in fd, whole, its orientation written in after its start, as a JPEG file in
// memory; -1 when it is not all there or no JPEG.
int jpegMemory(int fd, const EmbeddedPreview& at) {
    struct stat info {};
    char start[3] = {};
    if (::fstat(fd, &info) != 0 || at.length < 4 || at.length > MaxPictureFileBytes ||
        at.offset > info.st_size - at.length || ::pread(fd, start, 3, at.offset) != 3 ||
        std::memcmp(start, "\xff\xd8\xff", 3) != 0)
        return -1;
    QByteArray head("\xff\xd8", 2);
    if (at.orientation > 1 && at.orientation <= 8)
        head += newExifSegment(at.orientation);
    off_t from = off_t(at.offset + 2);
    const int memory = memfd_create("tovik-preview", MFD_CLOEXEC);
    if (memory >= 0 && ::write(memory, head.constData(), size_t(head.size())) == head.size() &&
        copied(memory, fd, &from, at.length - 2) && ::lseek(memory, 0, SEEK_SET) == 0)
        return memory;
    if (memory >= 0)
        ::close(memory);
    return -1;
}
} // namespace

int picturesOpened() {
    return opened;
}

bool isRegularFile(int fd) {
    struct stat info {};
    return fd >= 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

OpenPicture::OpenPicture(const QString& path, As as) {
    if (path.isEmpty())
        return;
    ++opened;
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0 || S_ISDIR(info.st_mode))
        return;
    m_error = PictureError::NotAPicture;
    if (!S_ISREG(info.st_mode))
        return;
    // Opened without waiting: the name may have been given to a FIFO since.
    m_fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd >= 0 && !isRegularFile(m_fd)) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_error = m_fd >= 0 ? PictureError::None : PictureError::Missing;
    if (m_fd >= 0 && as == As::Preview)
        openPreview();
}

void OpenPicture::openPreview() {
    char head[64];
    const ssize_t got = ::pread(m_fd, head, sizeof head, 0);
    struct stat raw {};
    if (got <= 0 || !mayBeCameraRaw(QByteArray(head, int(got))) || ::fstat(m_fd, &raw) != 0)
        return; // no RAW: nothing to ask the helper
    std::optional<int> jpeg = openedPreviews().find(raw);
    if (!jpeg) {
        const EmbeddedPreview at = decodeRoute().decode(m_fd, {DecodeKind::Preview}).embedded;
        jpeg = at.offset >= 0 ? jpegMemory(m_fd, at) : -1;
        if (at.offset < 0 || *jpeg >= 0) // a copy that failed is tried again
            openedPreviews().keep(raw, *jpeg, *jpeg < 0 ? 0 : at.length);
    }
    if (*jpeg < 0)
        return;
    ::close(m_fd);
    m_fd = *jpeg;
}

OpenPicture::~OpenPicture() {
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace tovik
