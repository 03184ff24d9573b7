#include "platform/pictures.h"

#include "platform/metafile/metafileplugin.h"
#include "platform/picturebudget.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QtPlugin>

#include <cstring>
#include <limits>

#include <fcntl.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

Q_IMPORT_PLUGIN(MetafilePlugin)

namespace tovik {

namespace {
constexpr qint64 BytesPerPixel = 4;
constexpr qint64 AllocationLimitBytes = qint64(PictureAllocationLimitMB) * 1024 * 1024;

bool tooLarge(const QSize& size, int copies = 1) {
    return size.isValid() &&
           qint64(size.width()) * size.height() * BytesPerPixel * copies > AllocationLimitBytes;
}

// The size a BMP header claims, read without Qt so that an absurd one is reported as such.
QSize bmpClaimedSize(const QByteArray& head) {
    if (head.size() < 26 || !head.startsWith("BM"))
        return {};
    const auto le32 = [&](int at) {
        return qint32(quint8(head[at]) | quint8(head[at + 1]) << 8 | quint8(head[at + 2]) << 16 |
                      quint32(quint8(head[at + 3])) << 24);
    };
    if (le32(14) < 40)
        return {}; // an old 12-byte header has 16-bit sizes: never absurd
    const qint32 width = le32(18), height = le32(22);
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

// Opens path for reading without waiting: a FIFO or a device that took a picture's name would
// otherwise block the open until a writer came. Only a regular file is a picture file.
bool openRegularFile(const QString& path, QFile& file) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    return file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
}

// A picture file read whole, with a reader over its bytes and the verdict of every check that
// can be made before decoding: that it is a regular file, that a reader knows it, and that what
// its headers say the decoder will allocate (and, for a JPEG, how many passes it will make)
// stays within the budget.
class PictureSource {
public:
    explicit PictureSource(const QString& path) {
        QFile file;
        if (path.isEmpty() || !openRegularFile(path, file)) {
            error = PictureError::Missing;
            return;
        }
        if (file.size() > AllocationLimitBytes) { // more than any picture it could decode to
            error = PictureError::TooLarge;
            claimed = QImageReader(&file).size();
            return;
        }
        m_buffer.setData(file.readAll());
        m_buffer.open(QIODevice::ReadOnly);
        check();
    }

    QImageReader& reader() { return m_reader; }
    PictureError error = PictureError::None;
    QSize claimed;

private:
    void check() {
        const QByteArray& bytes = m_buffer.data();
        if (const QSize bmp = bmpClaimedSize(bytes); tooLarge(bmp)) // Qt refuses it unsaid
            return refuse(PictureError::TooLarge, bmp);
        QImageReader::setAllocationLimit(PictureAllocationLimitMB);
        m_reader.setDevice(&m_buffer);
        m_reader.setAutoTransform(true);
        if (!m_reader.canRead())
            return refuse(PictureError::NotAPicture, {});
        const DecodeCost cost = decodeCost(bytes, m_reader.format());
        if (tooLarge(cost.largest, cost.copies))
            return refuse(PictureError::TooLarge, cost.largest);
        if (!scansWithinBudget(cost))
            return refuse(PictureError::NotAPicture, {});
        if (m_reader.format() == "ico")
            jumpToLargest(m_reader);
        claimed = m_reader.size();
        if (tooLarge(claimed))
            error = PictureError::TooLarge;
    }
    void refuse(PictureError why, QSize size) {
        error = why;
        claimed = size;
    }

    QBuffer m_buffer; // the whole file
    QImageReader m_reader;
};
} // namespace

QSize pictureSize(const QString& path) {
    PictureSource source(path);
    if (source.error != PictureError::None || !source.claimed.isValid())
        return {};
    return turnsSideways(source.reader()) ? source.claimed.transposed() : source.claimed;
}

QImage loadPictureScaled(const QString& path, const QSize& size) {
    PictureSource source(path);
    if (source.error != PictureError::None)
        return {};
    QImageReader& reader = source.reader();
    // The reader scales before it turns the picture upright.
    reader.setScaledSize(turnsSideways(reader) ? size.transposed() : size);
    return reader.read();
}

namespace {
struct Mapping {
    void* at;
    size_t bytes;
};

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
    if (bytes < Large || rowBytes > std::numeric_limits<int>::max())
        return {};
    void* at =
        mmap(nullptr, size_t(bytes), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (at == MAP_FAILED)
        return {};
    madvise(at, size_t(bytes), MADV_HUGEPAGE);
    const auto release = [](void* info) {
        const auto* mapping = static_cast<Mapping*>(info);
        munmap(mapping->at, mapping->bytes);
        delete mapping;
    };
    return QImage(static_cast<uchar*>(at), size.width(), size.height(), qsizetype(rowBytes), format,
                  release, new Mapping{at, size_t(bytes)});
}
} // namespace

void shareOneMemoryArena() {
#ifdef __GLIBC__
    mallopt(M_ARENA_MAX, 1);
#endif
}

PictureLoad loadPicture(const QString& path) {
    if (path.isEmpty())
        return {};
    PictureSource source(path);
    if (source.error != PictureError::None)
        return {source.error, {}, source.claimed};
    // The reader decodes into the canvas when it has the picture's size and form.
    QImage image = pictureCanvas(source.reader());
    if (!source.reader().read(&image) || image.isNull())
        return {PictureError::NotAPicture, {}, source.claimed};
    return {PictureError::None, image, image.size()};
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

QImage opaqueRgb32(const QImage& image, QRgb background) {
    if (image.hasAlphaChannel()) {
        QImage flat(image.size(), QImage::Format_RGB32);
        flat.fill(background);
        QPainter(&flat).drawImage(0, 0, image);
        return flat;
    }
    return image.convertToFormat(QImage::Format_RGB32); // shares RGB32 pixels as they are
}

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
