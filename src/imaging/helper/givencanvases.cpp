// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/helper/givencanvases.h"

#include "imaging/helper/protocol.h"

#include <QList>
#include <QMutex>

#include <optional>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovik::decoder {

namespace {
constexpr qsizetype MostKept = 1; // stepping lets one go as it decodes the next
constexpr size_t MostKeptBytes = size_t(128) << 20;

// A helper's memory mapped here, with a descriptor of its own.
struct Canvas {
    dev_t device;
    ino_t inode;
    int memory;
    void* at;
    size_t bytes;
    bool given = false; // to a helper, which may decode into it
};

void letGo(const Canvas& canvas) {
    munmap(canvas.at, canvas.bytes);
    ::close(canvas.memory);
}

class Kept {
public:
    static Kept& instance() {
        static Kept kept;
        return kept;
    }
    // The canvas given that has come back as memory, no longer kept.
    std::optional<Canvas> back(const struct stat& memory, size_t bytes) {
        const QMutexLocker lock(&m_mutex);
        for (qsizetype i = 0; i < m_canvases.size(); ++i) {
            const Canvas& c = m_canvases[i];
            if (c.given && c.device == memory.st_dev && c.inode == memory.st_ino &&
                c.bytes == bytes)
                return m_canvases.takeAt(i);
        }
        return {};
    }
    void keep(Canvas canvas) {
        if (canvas.bytes > MostKeptBytes)
            return letGo(canvas);
        canvas.given = false;
        const QMutexLocker lock(&m_mutex);
        m_canvases.push_back(canvas);
        while (m_canvases.size() > MostKept)
            letGo(m_canvases.takeFirst());
    }
    // The memory of a canvas not yet given, given now; -1 when there is none.
    int give() {
        const QMutexLocker lock(&m_mutex);
        for (Canvas& c : m_canvases)
            if (!c.given) {
                c.given = true;
                return c.memory;
            }
        return -1;
    }

private:
    QMutex m_mutex;
    QList<Canvas> m_canvases;
};

void released(void* info) {
    const auto* canvas = static_cast<Canvas*>(info);
    Kept::instance().keep(*canvas);
    delete canvas;
}

std::optional<Canvas> mapped(int memory, const struct stat& info, size_t bytes) {
    // Read-only and faulted in at once: one call rather than a fault for every page, and a
    // picture that is changed is copied first, as any shared QImage is.
    void* at = mmap(nullptr, bytes, PROT_READ, MAP_SHARED | MAP_POPULATE, memory, 0);
    if (at == MAP_FAILED)
        return {};
    const int own = fcntl(memory, F_DUPFD_CLOEXEC, 0);
    if (own < 0) {
        munmap(at, bytes);
        return {};
    }
    return Canvas{info.st_dev, info.st_ino, own, at, bytes};
}
} // namespace

QImage pictureInMemory(int memory, size_t bytes, QSize size, qsizetype bytesPerLine,
                       QImage::Format format) {
    struct stat info {};
    if (fstat(memory, &info) != 0)
        return {};
    std::optional<Canvas> canvas = Kept::instance().back(info, bytes);
    if (!canvas && !(canvas = mapped(memory, info, bytes)))
        return {};
    return QImage(static_cast<const uchar*>(canvas->at), size.width(), size.height(), bytesPerLine,
                  format, released, new Canvas(*canvas));
}

bool giveCanvas(int socket) {
    const int memory = Kept::instance().give();
    if (memory < 0)
        return true;
    Request given;
    given.kind = Kind::Canvas;
    return sendMessage(socket, &given, sizeof given, memory);
}

} // namespace tovik::decoder
