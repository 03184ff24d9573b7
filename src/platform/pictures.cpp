// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "platform/pictures.h"

#include "core/rounding.h"
#include "platform/bytes.h"
#include "platform/decoder/decoderclient.h"
#include "platform/formats/heifplugin.h"
#include "platform/formats/jxlplugin.h"
#include "platform/formats/profiles.h"
#include "platform/jpegbands.h"
#include "platform/jpegcolour.h"
#include "platform/jpegreduced.h"
#include "platform/metafile/metafileimage.h"
#include "platform/metafile/metafileplugin.h"
#include "platform/picturebudget.h"
#include "platform/screencolours.h"

#include <QBuffer>
#include <QColorSpace>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMutex>
#include <QPainter>
#include <QtPlugin>

#include <algorithm>
#include <array>
#include <atomic>
#include <csignal>
#include <cstring>
#include <limits>
#include <optional>
#include <utility>

#include <fcntl.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

Q_IMPORT_PLUGIN(MetafilePlugin)
Q_IMPORT_PLUGIN(HeifPlugin)
Q_IMPORT_PLUGIN(JxlPlugin)

namespace tovik {

namespace {
bool tooLarge(const DecodeCost& cost) {
    return cost.bytes() > PictureBudgetBytes;
}

// The size a BMP header claims, read without Qt so that an absurd one is reported as such (Qt
// refuses it unsaid); a top-down bitmap's negative height counts as its row count.
QSize bmpClaimedSize(const QByteArray& head) {
    const ByteView b(head.constData(), size_t(head.size()));
    if (!b.has(0, "BM", 2) || b.le32(14) < 40)
        return {}; // an old 12-byte header has 16-bit sizes: never absurd
    const qint32 width = qint32(b.le32(18)), height = qint32(b.le32(22));
    // No width is negative, and the most negative height has no positive row count: such a
    // header is no picture, which Qt's reader says when it reads it.
    if (width < 0 || height == std::numeric_limits<qint32>::min())
        return {};
    return {width, qAbs(height)};
}

// Icons and cursors hold several images: show the largest.
void jumpToLargest(QImageReader& reader) {
    int best = 0;
    qint64 bestArea = -1;
    for (int i = 0; i < reader.imageCount(); ++i) {
        if (!reader.jumpToImage(i))
            continue;
        const QSize s = reader.size();
        if (qint64(s.width()) * s.height() > bestArea) {
            bestArea = qint64(s.width()) * s.height();
            best = i;
        }
    }
    reader.jumpToImage(best);
}

bool turnsSideways(const QImageReader& reader) {
    return reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
}

bool isRegularFile(int fd) {
    struct stat info {};
    return fd >= 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
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

// The size a file's header claims, for the message that it is too large to open.
QSize claimedBy(const QByteArray& head) {
    QBuffer buffer;
    buffer.setData(head);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return reader.format().startsWith("svg") ? QSize() : reader.size();
}

} // namespace

// A picture file read whole, with a reader over its bytes and the verdict of every check that
// can be made before decoding: that it is a regular file no longer than a picture file can be,
// that a reader knows it, and that what its headers say the decoder will allocate (and, for a
// JPEG, how many passes it will make) stays within the budget. A file is read no further than
// its stated size, and no file larger than MaxPictureFileBytes is read at all. An SVG is drawn in
// the helper process, where a drawing that never ends or grows without bound is stopped.
class PictureSource {
public:
    // fd stays open, the caller's.
    explicit PictureSource(int fd) {
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
        m_buffer.setData(readAtMost(file, stated));
        m_buffer.open(QIODevice::ReadOnly);
        if (m_buffer.size() > stated) { // /proc and /sys files say 0 and hold more
            error = PictureError::NotAPicture;
            return;
        }
        check();
    }

    QImageReader& reader() { return m_reader; }
    const QByteArray& bytes() const { return m_buffer.data(); }
    // What decoding it takes, as its headers tell.
    qint64 cost = 0;
    bool drawnOutside() const { return m_drawnOutside; }
    // The reader's name for it, kept: the reader no longer knows once it has read to the end.
    QByteArray format;
    PictureError error = PictureError::None;
    QSize claimed;

private:
    void check() {
        const QByteArray& bytes = m_buffer.data();
        const QSize bmp = bmpClaimedSize(bytes);
        if (tooLarge({bmp}))
            return refuse(PictureError::TooLarge, bmp);
        QImageReader::setAllocationLimit(PictureAllocationLimitMB);
        m_reader.setDevice(&m_buffer);
        m_reader.setAutoTransform(true);
        if (!m_reader.canRead())
            return refuse(PictureError::NotAPicture, {});
        format = m_reader.format();
        if (format == "svg" || format == "svgz" || format == "wmf" || format == "emf") {
            m_drawnOutside = true; // even its size takes drawing
            return;
        }
        const DecodeCost headers = decodeCost(bytes, format);
        if (tooLarge(headers))
            return refuse(PictureError::TooLarge, headers.largest);
        if (!scansWithinBudget(headers))
            return refuse(PictureError::NotAPicture, {});
        if (format == "ico")
            jumpToLargest(m_reader);
        claimed = m_reader.size();
        if (format == "bmp")
            claimed = bmp; // Qt gives a top-down bitmap a negative height
        cost = std::max(headers.bytes(), DecodeCost{claimed}.bytes());
        if (cost > PictureBudgetBytes)
            error = PictureError::TooLarge;
    }
    void refuse(PictureError why, QSize size) {
        error = why;
        claimed = size;
    }

    QBuffer m_buffer; // the whole file
    QImageReader m_reader;
    bool m_drawnOutside = false;
};

namespace {
// Runs a decode so that no file can end the program: memory that cannot be had is a picture too
// large to open.
template <typename Decode> auto guarded(Decode decode, decltype(decode()) failed) {
    try {
        return decode();
    } catch (const std::bad_alloc&) {
        return failed;
    }
}

// Qt's JPEG reader reads RGB profiles only: a gray or CMYK JPEG's profile is read here.
QImage inScreenColours(QImage image, PictureSource& source) {
    if (source.format == "jpeg" && !image.colorSpace().isValid()) {
        const JpegColour colour = jpegColour(source.bytes());
        const QImage cmyk = colour.components == 4 && !colour.icc.isEmpty()
                                ? cmykJpeg(source.bytes(), colour, source.reader().transformation())
                                : QImage();
        if (!cmyk.isNull())
            return cmyk;
        setProfile(image, colour.icc);
    }
    toScreenColours(image);
    return image;
}

PictureLoad drawnOutside(const PictureSource& source) {
    const QImage image = renderMetafileOutside(source.bytes());
    if (image.isNull())
        return {PictureError::NotAPicture, {}, {}};
    return {PictureError::None, image, image.size()};
}
} // namespace

namespace {
QSize sizeFrom(PictureSource& source) {
    if (source.error != PictureError::None || !source.claimed.isValid())
        return {};
    return turnsSideways(source.reader()) ? source.claimed.transposed() : source.claimed;
}

// How a colour JPEG decoded by libjpeg-turbo is brought into the screen's colours (a null
// conversion: it is in them); none when the reader's path must take the file: gray, CMYK, or a
// profile only lcms2 reads.
std::optional<BandConversion> colourJpegConversion(const PictureSource& source) {
    if (source.format != "jpeg")
        return std::nullopt;
    const JpegColour colour = jpegColour(source.bytes());
    if (colour.components != 3)
        return std::nullopt;
    if (colour.icc.isEmpty())
        return BandConversion();
    const BandConversion convert =
        screenConversion(QColorSpace::fromIccProfile(colour.icc), QImage::Format_RGB32);
    return convert ? std::optional(convert) : std::nullopt;
}

// A colour JPEG reduced by libjpeg-turbo as it decodes, in the screen's colours and upright; null
// when it takes the reader's path.
QImage reducedJpeg(PictureSource& source, const QSize& stored) {
    const std::optional<BandConversion> convert = colourJpegConversion(source);
    if (!convert)
        return {};
    QImage reduced = decodeJpegReduced(source.bytes(), stored);
    if (!reduced.isNull() && *convert)
        (*convert)(reduced.bits(), reduced.width(), reduced.height(), reduced.bytesPerLine());
    return reduced.isNull() ? reduced : upright(reduced, source.reader().transformation());
}

QImage scaledFrom(PictureSource& source, const QSize& size) {
    if (source.error != PictureError::None)
        return {};
    QImageReader& reader = source.reader();
    // The reader scales before it turns the picture upright.
    const QSize stored = turnsSideways(reader) ? size.transposed() : size;
    QImage thumbnail = reducedJpeg(source, stored);
    if (thumbnail.isNull()) {
        reader.setScaledSize(stored);
        thumbnail = inScreenColours(reader.read(), source);
    }
    return thumbnail.isNull() || thumbnail.size() == size
               ? thumbnail
               : thumbnail.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// The size, and the thumbnail at its size; broken data give no thumbnail and say so.
PictureLoad thumbnailFrom(PictureSource& source, const ThumbnailScale& scale) {
    const QSize size = sizeFrom(source);
    if (!size.isValid())
        return {
            source.error == PictureError::None ? PictureError::NotAPicture : source.error, {}, {}};
    const QImage thumbnail = scaledFrom(source, scale.of(size));
    return {thumbnail.isNull() ? PictureError::NotAPicture : PictureError::None, thumbnail, size};
}

// What a drawing answers, made by the metafile helper.
PictureLoad drawnAnswer(const PictureSource& source, DecodeKind kind, const QSize& scaled,
                        const ThumbnailScale& scale) {
    PictureLoad drawn = drawnOutside(source);
    const QSize size = kind == DecodeKind::Thumbnail ? scale.of(drawn.image.size()) : scaled;
    if (kind == DecodeKind::Size)
        drawn.image = {};
    else if (kind != DecodeKind::Load && !drawn.image.isNull())
        drawn.image = drawn.image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return drawn;
}
} // namespace

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

namespace {
// Memory for a large picture, in huge pages where the system offers them: a 24-megapixel photo
// then costs some fifty page faults instead of twenty-five thousand, which on a virtual machine
// is most of its decoding time. Null for small pictures, or when the reader cannot say.
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
} // namespace

namespace {
// The memory of the last large JPEGs let go, kept for the next ones of the same size: stepping
// through a camera's photos then costs no page faults, nor the stalls of a kernel gathering
// huge pages. The kernel may take kept memory back whenever it needs it (MADV_FREE). Only a
// picture written whole (every row, or the decode fails) takes it: what it held never shows.
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

// An RGB32 picture of size over reused memory (or fresh huge pages), given back when let go.
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

// A large colour JPEG is decoded here by libjpeg-turbo straight into the picture's own form, and
// one with a profile a band at a time, each band converted on another core while the next
// decodes; null when the file takes the reader's path.
QImage decodedInBands(PictureSource& source) {
    constexpr qint64 Large = qint64(8) << 20;
    const QSize stored = source.claimed; // as the reader says it, before turning upright
    if (stored.height() < 256 || qint64(stored.width()) * stored.height() * 4 > PictureBudgetBytes)
        return {};
    const std::optional<BandConversion> convert = colourJpegConversion(source);
    if (!convert)
        return {};
    QImage canvas = qint64(stored.width()) * stored.height() * 4 >= Large
                        ? reusableCanvas(stored)
                        : QImage(stored, QImage::Format_RGB32);
    if (canvas.isNull() || !decodeJpegInBands(source.bytes(), canvas, *convert))
        return {};
    return upright(canvas, source.reader().transformation());
}
} // namespace

namespace {
std::atomic<int> opened = 0;
} // namespace

int picturesOpened() {
    return opened;
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

void ignoreBrokenPipes() {
    std::signal(SIGPIPE, SIG_IGN);
}

void shareOneMemoryArena() {
#ifdef __GLIBC__
    mallopt(M_ARENA_MAX, 1);
#endif
}

namespace {
PictureLoad loadFrom(PictureSource& source, qint64 room) {
    return guarded(
        [&]() -> PictureLoad {
            if (source.error != PictureError::None)
                return {source.error, {}, source.claimed};
            if (source.cost > room)
                return {PictureError::NoRoom, {}, source.claimed};
            // The reader decodes into the canvas when it has the picture's size and form.
            QImageReader& reader = source.reader();
            const bool animated = reader.supportsAnimation() && reader.imageCount() > 1;
            QImage image = decodedInBands(source);
            if (!image.isNull())
                return {PictureError::None, image, image.size(), animated};
            image = pictureCanvas(reader);
            if (!reader.read(&image) || image.isNull())
                return {PictureError::NotAPicture, {}, source.claimed};
            image = inScreenColours(std::move(image), source);
            PictureLoad load{PictureError::None, image, image.size(), animated};
            load.delayMs = animated ? reader.nextImageDelay() : 0;
            return load;
        },
        PictureLoad{PictureError::TooLarge, {}, {}});
}
} // namespace

PictureLoad decodeHere(int fd, DecodeKind kind, qint64 room, const QSize& scaled, bool drawOutside,
                       const ThumbnailScale& scale) {
    return guarded(
        [&]() -> PictureLoad {
            PictureSource source(fd);
            if (source.drawnOutside()) {
                PictureLoad outside{PictureError::NotAPicture, {}, {}};
                outside.outside = true;
                return drawOutside ? drawnAnswer(source, kind, scaled, scale) : outside;
            }
            switch (kind) {
            case DecodeKind::Size:
                return {source.error, {}, sizeFrom(source)};
            case DecodeKind::Scaled:
                return {source.error, scaledFrom(source, scaled), source.claimed};
            case DecodeKind::Thumbnail:
                return thumbnailFrom(source, scale);
            default:
                return loadFrom(source, room);
            }
        },
        PictureLoad{PictureError::TooLarge, {}, {}});
}

QSize pictureSize(const QString& path) {
    const PictureLoad answer = decodePicture(path, DecodeKind::Size, 0, {});
    return answer.error == PictureError::None ? answer.claimed : QSize();
}

QImage loadPictureScaled(const QString& path, const QSize& size) {
    return decodePicture(path, DecodeKind::Scaled, 0, size).image;
}

QSize ThumbnailScale::of(QSize picture) const {
    // As the sheet lays it out: the side in twips, times percent, in whole pixels.
    const auto side = [&](int pixels, double tpp) {
        return std::max(1, twipsToPixels(pixels * tpp * percent, tpp));
    };
    return {side(picture.width(), tppX), side(picture.height(), tppY)};
}

PictureLoad loadThumbnail(const QString& path, const ThumbnailScale& scale) {
    return decodePicture(path, DecodeKind::Thumbnail, 0, {}, scale);
}

PictureLoad loadPicture(const QString& path, qint64 room) {
    if (path.isEmpty())
        return {};
    return decodePicture(path, DecodeKind::Load, room, {});
}

PictureFrames::PictureFrames(const QString& path, int firstDelayMs)
    : m_path(path), m_helperDelay(firstDelayMs) {
    const OpenPicture file(path);
    if (file.fd() >= 0 && !decoder::decodedInHelper(file.fd()))
        start(file.fd());
}

PictureFrames::PictureFrames(int fd) {
    start(fd);
}

void PictureFrames::start(int fd) {
    m_fd = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (m_fd >= 0 && rewind())
        m_source->reader().read(); // the first frame is on screen already
}

PictureFrames::~PictureFrames() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool PictureFrames::rewind() {
    m_source = std::make_unique<PictureSource>(m_fd);
    return m_source->error == PictureError::None && !m_source->drawnOutside();
}

QImage PictureFrames::next() {
    if (m_fd < 0)
        return decoder::nextFrame(m_path, ++m_asked, &m_helperDelay);
    return guarded(
        [&] {
            if (!m_source || m_source->error != PictureError::None)
                return QImage();
            QImage frame = m_source->reader().read();
            if (frame.isNull() && rewind()) // past the last frame: from the start again
                frame = m_source->reader().read();
            toScreenColours(frame);
            return frame;
        },
        QImage());
}

void PictureFrames::skip(quint32 frames) {
    const int count = m_source ? m_source->reader().imageCount() : 0;
    if (count > 0)
        frames %= quint32(count);
    for (quint32 i = 0; i < frames; ++i)
        if (next().isNull())
            return;
}

int PictureFrames::delayMs() const {
    // Frames that say no delay (or a tiny one) are shown as browsers show them.
    constexpr int Shortest = 20, Usual = 100;
    const int delay = m_fd < 0   ? m_helperDelay
                      : m_source ? m_source->reader().nextImageDelay()
                                 : Usual;
    return delay < Shortest ? Usual : delay;
}

} // namespace tovik
namespace tovik {

namespace {
QByteArray bitmapHeader(int width, int height) {
    constexpr int HeaderBytes = 14 + 40;
    const quint32 dataBytes = quint32(width) * 4 * quint32(height);
    QByteArray h(HeaderBytes, '\0');
    const auto put = [&h](int at, quint32 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            h[at + i] = char((value >> (8 * i)) & 0xff);
    };
    h[0] = 'B';
    h[1] = 'M';
    put(2, HeaderBytes + dataBytes, 4);
    put(10, HeaderBytes, 4);
    put(14, 40, 4);
    put(18, quint32(width), 4);
    put(22, quint32(height), 4); // positive: bottom-up, the form every reader takes
    put(26, 1, 2);
    put(28, 32, 2);
    put(34, dataBytes, 4);
    put(38, 3780, 4); // 96 DPI in pixels per metre
    put(42, 3780, 4);
    return h;
}

} // namespace

QImage opaqueRgb32(const QImage& image, QRgb background) {
    if (image.hasAlphaChannel()) {
        QImage flat(image.size(), QImage::Format_RGB32);
        flat.fill(background);
        QPainter(&flat).drawImage(0, 0, image);
        return flat;
    }
    return image.convertToFormat(QImage::Format_RGB32); // shares RGB32 pixels as they are
}

namespace {

// RGB32 keeps each pixel as B, G, R, X in little-endian memory: the bitmap's own order. Rows go
// out bottom-up a band at a time, each band in one write, so a picture in another form is never
// converted whole and a large one takes a few dozen system calls rather than thousands.
bool writeBitmap(SafeFile& out, const QImage& image, QRgb background) {
    if (!out.write(bitmapHeader(image.width(), image.height())))
        return false;
    constexpr int BandRows = 64;
    const qsizetype rowBytes = qsizetype(image.width()) * 4;
    const bool asItStands = image.format() == QImage::Format_RGB32;
    QByteArray band(rowBytes * std::min(BandRows, image.height()), Qt::Uninitialized);
    for (int bottom = image.height(); bottom > 0; bottom -= BandRows) {
        const int top = std::max(0, bottom - BandRows);
        const QImage rows =
            asItStands ? image
                       : opaqueRgb32(image.copy(0, top, image.width(), bottom - top), background);
        const int offset = asItStands ? 0 : top;
        char* at = band.data();
        for (int y = bottom - 1; y >= top; --y, at += rowBytes)
            std::memcpy(at, rows.constScanLine(y - offset), size_t(rowBytes));
        if (!out.write(band.constData(), at - band.constData()))
            return false;
    }
    return true;
}
} // namespace

bool saveBitmap(const QImage& image, QRgb background, const QString& path, SafeFile::Kind kind,
                QString* error) {
    if (image.isNull()) {
        *error = QStringLiteral("there is no picture to save");
        return false;
    }
    SafeFile out(path, kind);
    if (out.open() && writeBitmap(out, image, background) && out.commit())
        return true;
    *error = out.errorString();
    return false;
}

} // namespace tovik
