// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/decoding/canvas.h"

#include "imaging/pictureload.h"

#include <QList>
#include <QMutex>

#include <array>
#include <atomic>
#include <limits>
#include <map>
#include <utility>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovik {

namespace {
struct Mapping {
    void* at;
    size_t bytes;
    int memory = -1; // a shared canvas's
};

std::atomic<bool> sharedCanvases = false;
// The shared canvases alive, by their pixels.
QMutex sharedMutex;
std::map<const void*, int> sharedMemories;

void release(void* info) {
    const auto* mapping = static_cast<Mapping*>(info);
    if (mapping->memory >= 0) {
        const QMutexLocker lock(&sharedMutex); // before its address can be mapped again
        sharedMemories.erase(mapping->at);
        ::close(mapping->memory);
    }
    munmap(mapping->at, mapping->bytes);
    delete mapping;
}

QImage pictureOver(Mapping* mapping, QSize size, qsizetype bytesPerLine, QImage::Format format) {
    return QImage(static_cast<uchar*>(mapping->at), size.width(), size.height(), bytesPerLine,
                  format, release, mapping);
}

// Private memory of bytes in huge pages where the system offers them; null when none.
void* hugePages(size_t bytes) {
    void* at = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (at == MAP_FAILED)
        return nullptr;
    madvise(at, bytes, MADV_HUGEPAGE);
    return at;
}

// Shared memories given back by the viewer, with their sizes; the newest last.
class GivenCanvases {
public:
    void keep(int memory) {
        struct stat info {};
        if (fstat(memory, &info) != 0 || !sizeSealed(memory) || info.st_size <= 0) {
            ::close(memory);
            return;
        }
        const QMutexLocker lock(&m_mutex);
        m_kept.push_back({memory, qint64(info.st_size)});
        if (m_kept.size() > 2)
            ::close(m_kept.takeFirst().first);
    }
    void forget() {
        const QMutexLocker lock(&m_mutex);
        for (const auto& [memory, bytes] : m_kept)
            ::close(memory);
        m_kept.clear();
    }
    // One of exactly bytes, taken; -1 when none is kept.
    int take(qint64 bytes) {
        const QMutexLocker lock(&m_mutex);
        for (qsizetype i = m_kept.size() - 1; i >= 0; --i)
            if (m_kept[i].second == bytes)
                return m_kept.takeAt(i).first;
        return -1;
    }

private:
    QMutex m_mutex;
    QList<std::pair<int, qint64>> m_kept;
};

GivenCanvases& givenCanvases() {
    static GivenCanvases canvases;
    return canvases;
}

// A canvas of bytes: private huge pages, or sealed shared memory (given back, or new) mapped and
// faulted in at once.
QImage freshCanvas(size_t bytes, QSize size, qsizetype bytesPerLine, QImage::Format format) {
    if (!sharedCanvases) {
        void* at = hugePages(bytes);
        return at ? pictureOver(new Mapping{at, bytes}, size, bytesPerLine, format) : QImage();
    }
    int memory = givenCanvases().take(qint64(bytes));
    if (memory < 0)
        memory = sealedMemory(qint64(bytes));
    void* at = memory < 0 ? MAP_FAILED
                          : mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE,
                                 memory, 0);
    if (at == MAP_FAILED) {
        if (memory >= 0)
            ::close(memory);
        return {};
    }
    const QMutexLocker lock(&sharedMutex);
    sharedMemories[at] = memory;
    return pictureOver(new Mapping{at, bytes, memory}, size, bytesPerLine, format);
}
} // namespace

int sealedMemory(qint64 bytes) {
    const int memory = memfd_create("tovik-picture", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (memory >= 0 && ftruncate(memory, bytes) == 0 &&
        fcntl(memory, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL) == 0)
        return memory;
    if (memory >= 0)
        ::close(memory);
    return -1;
}

bool sizeSealed(int memory) {
    const int seals = fcntl(memory, F_GET_SEALS);
    return seals >= 0 && (seals & F_SEAL_SHRINK);
}

void useSharedCanvases() {
    sharedCanvases = true;
}

void keepGivenCanvas(int memory) {
    givenCanvases().keep(memory);
}

void forgetGivenCanvases() {
    givenCanvases().forget();
}

namespace {
// Whether Qt's reader of this format decodes into the canvas it is given.
bool decodesIntoCanvas(const QByteArray& format) {
    static const QList<QByteArray> Formats{"png", "bmp", "tiff", "pbm", "pgm", "ppm", "jpeg"};
    return Formats.contains(format);
}
} // namespace

qint64 copyOutBytes(const QByteArray& format, QSize picture) {
    if (!sharedCanvases || decodesIntoCanvas(format) || !picture.isValid())
        return 0;
    return qint64(picture.width()) * picture.height() * 4;
}

int sharedCanvasMemory(const QImage& image) {
    const QMutexLocker lock(&sharedMutex);
    const auto found = sharedMemories.find(image.constBits());
    return found == sharedMemories.end() ? -1 : found->second;
}

namespace {
// A canvas for a large picture; null for a small one (the allocator serves it as well), or one
// beyond the budget (whose own allocation says no).
QImage largeCanvas(QSize size, QImage::Format format) {
    if (!size.isValid() || format == QImage::Format_Invalid)
        return {};
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    const qint64 rowBytes = (qint64(size.width()) * depth + 31) / 32 * 4;
    const qint64 bytes = rowBytes * size.height();
    if (bytes < LargePictureBytes || bytes > PictureBudgetBytes ||
        rowBytes > std::numeric_limits<int>::max())
        return {};
    return freshCanvas(size_t(bytes), size, qsizetype(rowBytes), format);
}
} // namespace

QImage canvasOf(QSize size, QImage::Format format) {
    const QImage large = largeCanvas(size, format);
    return large.isNull() ? QImage(size, format) : large;
}

QImage pictureCanvas(QImageReader& reader) {
    if (sharedCanvases && !decodesIntoCanvas(reader.format()))
        return {}; // its reader would make a picture of its own beside it
    return largeCanvas(reader.size(), reader.imageFormat());
}

namespace {
// The memory of the last large JPEGs let go, kept for the next ones of the same size: stepping
// through a camera's photos then costs no page faults, nor the stalls of a kernel gathering
// huge pages. The kernel may take kept memory back whenever it needs it (MADV_FREE).
class ReusedCanvas {
public:
    static ReusedCanvas& instance() {
        static ReusedCanvas canvas;
        return canvas;
    }
    void* take(size_t bytes) {
        const QMutexLocker lock(&m_mutex);
        for (Kept& kept : m_kept)
            if (kept.at && kept.bytes == bytes)
                return std::exchange(kept.at, nullptr);
        return nullptr;
    }
    void give(void* at, size_t bytes) {
        madvise(at, bytes, MADV_FREE);
        const QMutexLocker lock(&m_mutex);
        Kept& oldest = m_kept[m_next++ % m_kept.size()];
        if (oldest.at)
            munmap(oldest.at, oldest.bytes);
        oldest = {at, bytes};
    }

private:
    struct Kept {
        void* at = nullptr;
        size_t bytes = 0;
    };
    QMutex m_mutex;
    std::array<Kept, 2> m_kept; // the one shown and the next are decoded beside them
    size_t m_next = 0;
};

struct Canvas {
    void* at;
    size_t bytes;
};
} // namespace

QImage reusableCanvas(QSize size) {
    const qint64 rowBytes = qint64(size.width()) * 4;
    const size_t bytes = size_t(rowBytes * size.height());
    void* at = ReusedCanvas::instance().take(bytes);
    if (!at && !(at = hugePages(bytes)))
        return {};
    const auto giveBack = [](void* info) {
        const auto* canvas = static_cast<Canvas*>(info);
        ReusedCanvas::instance().give(canvas->at, canvas->bytes);
        delete canvas;
    };
    return QImage(static_cast<uchar*>(at), size.width(), size.height(), qsizetype(rowBytes),
                  QImage::Format_RGB32, giveBack, new Canvas{at, bytes});
}

} // namespace tovik
