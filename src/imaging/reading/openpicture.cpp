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
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd >= 0 && !isRegularFile(m_fd)) {
        ::close(m_fd);
        m_fd = -1;
    }
}

OpenPicture::~OpenPicture() {
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace tovik
