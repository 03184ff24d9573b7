// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/openpicture.h"

#include <QFile>

#include <atomic>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovik {

namespace {
std::atomic<int> opened = 0;
} // namespace

int picturesOpened() {
    return opened;
}

bool isRegularFile(int fd) {
    struct stat info {};
    return fd >= 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

OpenPicture::OpenPicture(const QString& path) {
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
}

OpenPicture::~OpenPicture() {
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace tovik
