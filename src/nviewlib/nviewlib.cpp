// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "nviewlib/nviewlib.h"

#include "core/bytes.h"
#include "platform/safefile.h"

#include <QFile>

#include <turbojpeg.h>

#include <sys/mman.h>

#include <climits>

namespace tovik {

namespace {
// TurboJPEG allocates whatever a header claims: refuse absurd sizes before it does.
constexpr qint64 MaxPixels = qint64(1) << 28;

struct Handle {
    tjhandle tj;
    explicit Handle(tjhandle h) : tj(h) {}
    ~Handle() {
        if (tj)
            tjDestroy(tj);
    }
};

qint32 le32(const QByteArray& b, int at) {
    return qint32(ByteView(b.constData(), size_t(b.size())).le32(at));
}

// A BI_RGB bitmap header that TurboJPEG reads, with a size that fits the file.
QString checkHeader(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    const QByteArray head = file.read(54);
    if (head.size() < 54 || !head.startsWith("BM"))
        return QStringLiteral("not a bitmap file");
    const qint64 width = le32(head, 18), height = qAbs(le32(head, 22));
    const int bits = quint8(head[28]) | quint8(head[29]) << 8;
    if (width <= 0 || height <= 0 || width * height > MaxPixels)
        return QStringLiteral("the bitmap's size is not usable");
    if (width * height * (bits / 8) > file.size())
        return QStringLiteral("the bitmap file is shorter than its header says");
    return {};
}
} // namespace

struct NViewLib::Picture {
    const unsigned char* pixels = nullptr; // bottom-up rows, as the bitmap stores them
    int width = 0, height = 0, format = TJPF_UNKNOWN;
    bool bottomUp = true;
    QImage held;                     // or top-down in memory
    unsigned char* loaded = nullptr; // what tjLoadImage decoded, when the file is not mapped
    void* mapped = nullptr;          // or the bitmap file, mapped where it lies
    size_t mappedBytes = 0;

    ~Picture() {
        tjFree(loaded);
        if (mapped)
            munmap(mapped, mappedBytes);
    }

    // The program's own scratch bitmap (32 bits, uncompressed, bottom-up) is compressed where it
    // lies in the file, mapped rather than read into a second full-size copy.
    bool map(const QString& path) {
        QFile file(path); // the mapping outlives it
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const QByteArray head = file.read(54);
        const qint64 offset = le32(head, 10), rowBytes = qint64(le32(head, 18)) * 4;
        const int bits = quint8(head[28]) | quint8(head[29]) << 8;
        const bool plain = le32(head, 14) == 40 && le32(head, 22) > 0 && bits == 32 &&
                           le32(head, 30) == 0; // 32 bits a pixel, BI_RGB, bottom-up
        width = le32(head, 18);
        height = le32(head, 22);
        if (!plain || offset < 54 || offset + rowBytes * height > file.size())
            return false;
        // Mapped whole and at once: page by page, the faults would cost more than the encoding.
        mappedBytes = size_t(offset + rowBytes * height);
        mapped =
            mmap(nullptr, mappedBytes, PROT_READ, MAP_PRIVATE | MAP_POPULATE, file.handle(), 0);
        if (mapped == MAP_FAILED) {
            mapped = nullptr;
            return false;
        }
        pixels = static_cast<const unsigned char*>(mapped) + offset;
        format = TJPF_BGRX;
        return true;
    }

    bool load(const QString& path) {
        format = TJPF_UNKNOWN;
        loaded = tjLoadImage(QFile::encodeName(path).constData(), &width, 1, &height, &format,
                             TJFLAG_BOTTOMUP);
        pixels = loaded;
        return loaded != nullptr;
    }
};

NViewLib::NViewLib() = default;
NViewLib::~NViewLib() = default;

qint32 NViewLib::NViewLibLoad(const QString& fileName, qint32 /*reserved*/) {
    m_picture.reset(); // a failed load leaves no older picture to be saved by mistake
    if (const QString problem = checkHeader(fileName); !problem.isEmpty()) {
        m_error = problem;
        return 0;
    }
    auto picture = std::make_unique<Picture>();
    if (!picture->map(fileName) && !picture->load(fileName)) {
        m_error = QString::fromLocal8Bit(tjGetErrorStr2(nullptr));
        return 0;
    }
    m_picture = std::move(picture);
    return 1;
}

void NViewLib::NViewLibLoad(const QImage& picture) {
    auto held = std::make_unique<Picture>();
    held->held = picture.convertToFormat(QImage::Format_RGB32); // shares RGB32 pixels
    held->pixels = held->held.constBits();
    held->width = held->held.width();
    held->height = held->held.height();
    held->format = TJPF_BGRX; // RGB32's own order in memory
    held->bottomUp = false;
    m_picture = held->held.isNull() ? nullptr : std::move(held);
}

QByteArray NViewLib::encodeJPG(qint16 quality) {
    if (!m_picture) {
        m_error = QStringLiteral("no picture is loaded");
        return {};
    }
    const Picture& p = *m_picture;
    const Handle handle(tjInitCompress());
    // Room for the worst case at once: the encoder never copies what it wrote to grow. Only the
    // pages it writes are ever touched.
    unsigned long size = tjBufSize(p.width, p.height, TJSAMP_420);
    unsigned char* jpeg = size <= INT_MAX ? tjAlloc(int(size)) : nullptr;
    if (!jpeg)
        size = 0;
    const int flags = (p.bottomUp ? TJFLAG_BOTTOMUP : 0) | (jpeg ? TJFLAG_NOREALLOC : 0);
    const int pitch = p.held.isNull() ? 0 : int(p.held.bytesPerLine());
    const int ok = tjCompress2(handle.tj, p.pixels, p.width, pitch, p.height, p.format, &jpeg,
                               &size, TJSAMP_420, qBound(0, int(quality), 100), flags);
    QByteArray bytes;
    if (ok == 0)
        bytes = QByteArray(reinterpret_cast<const char*>(jpeg), qsizetype(size));
    else
        m_error = QString::fromLocal8Bit(tjGetErrorStr2(handle.tj));
    tjFree(jpeg);
    return bytes;
}

qint16 NViewLib::writeJPG(const QByteArray& jpeg, const QString& fileName) {
    return !jpeg.isEmpty() && writeFileSafely(fileName, jpeg, SafeFile::Kind::Durable, &m_error)
               ? 1
               : 0;
}

qint16 NViewLib::NViewLibSaveAsJPG(qint16 quality, const QString& fileName) {
    const QByteArray jpeg = encodeJPG(quality);
    return jpeg.isEmpty() ? 0 : writeJPG(jpeg, fileName);
}

} // namespace tovik
