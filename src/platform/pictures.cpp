#include "platform/pictures.h"

#include "platform/metafile/metafileplugin.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QtPlugin>

#include <cstring>
#include <limits>

Q_IMPORT_PLUGIN(MetafilePlugin)

namespace tovik {

namespace {
constexpr qint64 BytesPerPixel = 4;

bool tooLarge(const QSize& size) {
    return size.isValid() && qint64(size.width()) * size.height() * BytesPerPixel >
                                 qint64(PictureAllocationLimitMB) * 1024 * 1024;
}

// The size a BMP header claims, read without Qt so that an absurd one is reported as such.
QSize bmpClaimedSize(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = file.read(26);
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

// Opens a reader the way every load does; false when no reader knows the file.
bool prepareReader(QImageReader& reader) {
    QImageReader::setAllocationLimit(PictureAllocationLimitMB);
    reader.setAutoTransform(true);
    if (!reader.canRead())
        return false;
    if (reader.format() == "ico")
        jumpToLargest(reader);
    return true;
}

bool turnsSideways(const QImageReader& reader) {
    return reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
}
} // namespace

QSize pictureSize(const QString& path) {
    if (!QFileInfo(path).isFile() || tooLarge(bmpClaimedSize(path)))
        return {};
    QImageReader reader(path);
    if (!prepareReader(reader))
        return {};
    const QSize stored = reader.size();
    if (!stored.isValid() || tooLarge(stored))
        return {};
    return turnsSideways(reader) ? stored.transposed() : stored;
}

QImage loadPictureScaled(const QString& path, const QSize& size) {
    QImageReader reader(path);
    if (!prepareReader(reader))
        return {};
    // The reader scales before it turns the picture upright.
    reader.setScaledSize(turnsSideways(reader) ? size.transposed() : size);
    return reader.read();
}

PictureLoad loadPicture(const QString& path) {
    if (path.isEmpty())
        return {};
    if (!QFileInfo(path).isFile())
        return {PictureError::Missing, {}, {}};
    // Qt's BMP reader refuses such a header outright, as if it were no picture.
    if (const QSize claimed = bmpClaimedSize(path); tooLarge(claimed))
        return {PictureError::TooLarge, {}, claimed};
    QImageReader reader(path);
    if (!prepareReader(reader))
        return {PictureError::NotAPicture, {}, {}};
    const QSize claimed = reader.size();
    if (tooLarge(claimed))
        return {PictureError::TooLarge, {}, claimed};
    QImage image = reader.read();
    if (image.isNull())
        return {PictureError::NotAPicture, {}, claimed};
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
    return image.format() == QImage::Format_RGB32 ? image
                                                  : image.convertToFormat(QImage::Format_RGB32);
}

// RGB32 keeps each pixel as B, G, R, X in little-endian memory: the bitmap's own order, so rows
// are written as they stand.
bool writeBitmap(SafeFile& out, const QImage& rgb) {
    if (!out.write(bitmapHeader(rgb.width(), rgb.height())))
        return false;
    const qint64 rowBytes = qint64(rgb.width()) * 4;
    for (int y = rgb.height() - 1; y >= 0; --y)
        if (!out.write(reinterpret_cast<const char*>(rgb.constScanLine(y)), rowBytes))
            return false;
    return true;
}
} // namespace

bool saveBitmap(const QImage& image, QRgb background, const QString& path, SafeFile::Kind kind,
                QString* error) {
    if (image.isNull()) {
        *error = QStringLiteral("there is no picture to save");
        return false;
    }
    const QImage rgb = opaqueRgb32(image, background);
    SafeFile out(path, kind);
    if (out.open() && writeBitmap(out, rgb) && out.commit())
        return true;
    *error = out.errorString();
    return false;
}

} // namespace tovik
