// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/reading/picturesource.h"

#include "core/bytes.h"
#include "imaging/decoding/canvas.h"
#include "imaging/jpeg/jpegmarkers.h"
#include "imaging/openpicture.h"
#include "imaging/reading/orientation.h"
#include "imaging/reading/picturebudget.h"
#include "plugins/libraryformats.h"
#include "plugins/rawembedded.h"

#include <QFile>

#include <algorithm>
#include <limits>

#include <sys/mman.h>
#include <unistd.h>

namespace tovik {

namespace {
bool tooLarge(const DecodeCost& cost) {
    return cost.bytes() > PictureBudgetBytes;
}

// The size a BMP header claims, read without Qt so that an absurd one is reported as such (Qt
// refuses it unsaid); a top-down bitmap's negative height counts as its row count. An OS/2 core
// header (12 bytes) has 16-bit sizes.
QSize bmpClaimedSize(const QByteArray& head) {
    const ByteView b(head.constData(), size_t(head.size()));
    if (b.has(0, "BM", 2) && b.le32(14) == 12)
        return QSize(int(b.le16(18)), int(b.le16(20)));
    if (!b.has(0, "BM", 2) || b.le32(14) < 40)
        return {};
    const qint32 width = qint32(b.le32(18)), height = qint32(b.le32(22));
    // No width is negative, and the most negative height has no positive row count: such a
    // header is no picture, which Qt's reader says when it reads it.
    if (width < 0 || height == std::numeric_limits<qint32>::min())
        return {};
    return {width, qAbs(height)};
}

// Icons and cursors hold several images: show the largest, as its own header sizes it; returns
// that size (the reader's when the header says none).
QSize jumpToLargest(QImageReader& reader, const QByteArray& icon) {
    const QList<QSize> stated = iconEntrySizes(icon);
    int best = 0;
    qint64 bestArea = -1;
    QSize bestSize;
    for (int i = 0; i < reader.imageCount(); ++i) {
        if (!reader.jumpToImage(i))
            continue;
        const QSize s = stated.value(i).isValid() ? stated.value(i) : reader.size();
        if (qint64(s.width()) * s.height() > bestArea) {
            bestArea = qint64(s.width()) * s.height();
            best = i;
            bestSize = s;
        }
    }
    reader.jumpToImage(best);
    return bestSize;
}

// Reads at most most + 1 bytes, so that a file longer than most is known to be, whatever it
// claims.
QByteArray readAtMost(QFile& file, qint64 most) {
    constexpr qint64 Chunk = qint64(1) << 20;
    QByteArray bytes;
    bytes.reserve(qsizetype(most + 1));
    while (bytes.size() <= most) {
        const QByteArray chunk = file.read(std::min(Chunk, most + 1 - bytes.size()));
        if (chunk.isEmpty())
            break;
        bytes += chunk;
    }
    return bytes;
}

// A file as large as a camera's RAW is mapped.
constexpr qint64 MappedFileBytes = qint64(16) << 20;

// The size a file's header claims, for the message that it is too large to open.
QSize claimedBy(const QByteArray& head) {
    QBuffer buffer;
    buffer.setData(head);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return reader.format().startsWith("svg") ? QSize() : reader.size();
}
} // namespace

QByteArray mappedBytes(int fd, qint64 size, std::shared_ptr<void>& mapping) {
    void* at = ::mmap(nullptr, size_t(size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (at == MAP_FAILED)
        return {};
    mapping.reset(at, [size](void* p) { ::munmap(p, size_t(size)); });
    return QByteArray::fromRawData(static_cast<const char*>(at), qsizetype(size));
}

bool turnsSideways(const PictureSource& source) {
    return source.turn.testFlag(QImageIOHandler::TransformationRotate90);
}

const JpegColour& PictureSource::jpegColours() const {
    if (!m_colours)
        m_colours = jpegColour(bytes());
    return *m_colours;
}

QImage PictureSource::read() {
    return upright(m_reader.read(), turn);
}

PictureSource::PictureSource(int fd, bool mapped) {
    QFile file;
    if (!isRegularFile(fd) || ::lseek(fd, 0, SEEK_SET) != 0 ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
        error = PictureError::Missing;
        return;
    }
    const qint64 stated = file.size();
    if (stated > MaxPictureFileBytes) {
        claimed = claimedBy(file.read(64 * 1024));
        error = claimed.isValid() ? PictureError::TooLarge : PictureError::NotAPicture;
        return;
    }
    QByteArray bytes =
        mapped && stated >= MappedFileBytes ? mappedBytes(fd, stated, m_mapping) : QByteArray();
    if (bytes.isNull())
        bytes = readAtMost(file, stated);
    if (bytes.size() > stated) { // /proc and /sys files say 0 and hold more
        error = PictureError::NotAPicture;
        return;
    }
    m_buffer.setData(withBoundedMetadata(std::move(bytes)));
    m_buffer.open(QIODevice::ReadOnly);
    check();
}

void PictureSource::check() {
    const QByteArray& bytes = m_buffer.data();
    const QSize bmp = bmpClaimedSize(bytes);
    if (tooLarge({bmp}))
        return refuse(PictureError::TooLarge, bmp);
    QImageReader::setAllocationLimit(PictureAllocationLimitMB);
    m_reader.setDevice(&m_buffer);
    m_reader.setAutoTransform(false);
    // A RAW is never taken for the thumbnail Qt's TIFF reader would find in its first directory,
    // even where the RAW reader is not linked and it is no picture.
    const LibraryFormats* library = libraryFormats();
    if (library ? library->isCameraRaw(bytes) : laidOutAsCameraRaw(bytes))
        m_reader.setFormat("raw");
    if (!m_reader.canRead())
        return refuse(PictureError::NotAPicture, {});
    format = m_reader.format();
    turn = format == "jpeg" ? jpegOrientation(bytes) : m_reader.transformation();
    if (format == "svg" || format == "svgz" || format == "wmf" || format == "emf") {
        m_drawnOutside = true; // even its size takes drawing
        return;
    }
    const DecodeCost headers = decodeCost(bytes, format);
    if (tooLarge(headers))
        return refuse(PictureError::TooLarge, headers.largest);
    if (headers.broken || !scansWithinBudget(headers))
        return refuse(PictureError::NotAPicture, {});
    claimed = format == "ico" ? jumpToLargest(m_reader, bytes) : m_reader.size();
    if (format == "bmp")
        claimed = bmp; // Qt gives a top-down bitmap a negative height
    const QSize picture = claimed.isValid() ? claimed : headers.largest;
    cost = std::max(headers.bytes(), DecodeCost{claimed}.bytes()) + copyOutBytes(format, picture);
    if (cost > PictureBudgetBytes)
        refuse(PictureError::TooLarge, picture);
}

void PictureSource::refuse(PictureError why, QSize size) {
    error = why;
    claimed = size;
}

} // namespace tovik
