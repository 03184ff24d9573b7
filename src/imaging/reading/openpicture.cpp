// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/openpicture.h"

#include "imaging/decoding/route.h"
#include "plugins/rawplugin.h"

#include <QFile>

#include <atomic>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovik {

namespace {
std::atomic<int> opened = 0;

// An EXIF block that says only how the picture is turned upright.
QByteArray orientationSegment(int orientation) {
    QByteArray exif("Exif\0\0II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0", 24);
    exif += char(orientation);
    exif += QByteArray(7, '\0'); // the value's last byte, padding, and no next directory
    const int length = int(exif.size()) + 2;
    return QByteArray("\xff\xe1", 2) + char(length >> 8) + char(length & 0xff) + exif;
}

// The preview at in fd, whole, its orientation written in after its start, as a JPEG file in
// memory; -1 when it is not all there or no JPEG.
int jpegMemory(int fd, const EmbeddedPreview& at) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || at.length < 4 || at.length > MaxPictureFileBytes ||
        at.offset > info.st_size - at.length)
        return -1;
    QByteArray jpeg(qsizetype(at.length), Qt::Uninitialized);
    if (::pread(fd, jpeg.data(), size_t(at.length), at.offset) != at.length ||
        !jpeg.startsWith("\xff\xd8\xff"))
        return -1;
    if (at.orientation > 1 && at.orientation <= 8)
        jpeg.insert(2, orientationSegment(at.orientation));
    const int memory = memfd_create("tovik-preview", MFD_CLOEXEC);
    if (memory >= 0 && ::write(memory, jpeg.constData(), size_t(jpeg.size())) == jpeg.size() &&
        ::lseek(memory, 0, SEEK_SET) == 0)
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
    if (got <= 0 || Raw.sniff(QByteArray(head, int(got))).isEmpty())
        return; // no RAW: nothing to ask the helper
    const EmbeddedPreview at = decodeRoute().decode(m_fd, {DecodeKind::Preview}).embedded;
    const int jpeg = at.offset >= 0 ? jpegMemory(m_fd, at) : -1;
    if (jpeg < 0)
        return;
    ::close(m_fd);
    m_fd = jpeg;
}

OpenPicture::~OpenPicture() {
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace tovik
