// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/decoding/canvas.h"

#include "imaging/pictureload.h"

#include <QMutex>

#include <array>
#include <limits>
#include <utility>

#include <sys/mman.h>

namespace tovik {

namespace {
struct Mapping {
    void* at;
    size_t bytes;
};
} // namespace

QImage mappedPicture(void* at, size_t bytes, QSize size, qsizetype bytesPerLine,
                     QImage::Format format, bool writable) {
    const auto release = [](void* info) {
        const auto* mapping = static_cast<Mapping*>(info);
        munmap(mapping->at, mapping->bytes);
        delete mapping;
    };
    auto* mapping = new Mapping{at, bytes};
    if (writable)
        return QImage(static_cast<uchar*>(at), size.width(), size.height(), bytesPerLine, format,
                      release, mapping);
    return QImage(static_cast<const uchar*>(at), size.width(), size.height(), bytesPerLine, format,
                  release, mapping);
}

QImage pictureCanvas(const QImageReader& reader) {
    constexpr qint64 Large = qint64(8) << 20;
    const QSize size = reader.size();
    const QImage::Format format = reader.imageFormat();
    if (!size.isValid() || format == QImage::Format_Invalid)
        return {};
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    const qint64 rowBytes = (qint64(size.width()) * depth + 31) / 32 * 4;
    const qint64 bytes = rowBytes * size.height();
    if (bytes < Large || bytes > PictureBudgetBytes || rowBytes > std::numeric_limits<int>::max())
        return {}; // small, or beyond the budget: the reader's own allocation says no
    void* at =
        mmap(nullptr, size_t(bytes), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (at == MAP_FAILED)
        return {};
    madvise(at, size_t(bytes), MADV_HUGEPAGE);
    return mappedPicture(at, size_t(bytes), size, qsizetype(rowBytes), format, true);
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
    if (!at) {
        at = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (at == MAP_FAILED)
            return {};
        madvise(at, bytes, MADV_HUGEPAGE);
    }
    const auto giveBack = [](void* info) {
        const auto* canvas = static_cast<Canvas*>(info);
        ReusedCanvas::instance().give(canvas->at, canvas->bytes);
        delete canvas;
    };
    return QImage(static_cast<uchar*>(at), size.width(), size.height(), qsizetype(rowBytes),
                  QImage::Format_RGB32, giveBack, new Canvas{at, bytes});
}

} // namespace tovik
