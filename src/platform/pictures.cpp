#include "platform/pictures.h"

#include "platform/metafile/metafileplugin.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QtPlugin>

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
    return {qAbs(le32(18)), qAbs(le32(22))};
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
} // namespace

PictureLoad loadPicture(const QString& path) {
    if (path.isEmpty())
        return {};
    if (!QFileInfo(path).isFile())
        return {PictureError::Missing, {}, {}};
    // Qt's BMP reader refuses such a header outright, as if it were no picture.
    if (const QSize claimed = bmpClaimedSize(path); tooLarge(claimed))
        return {PictureError::TooLarge, {}, claimed};
    QImageReader::setAllocationLimit(PictureAllocationLimitMB);
    QImageReader reader(path);
    reader.setAutoTransform(true);
    if (!reader.canRead())
        return {PictureError::NotAPicture, {}, {}};
    if (reader.format() == "ico")
        jumpToLargest(reader);
    const QSize claimed = reader.size();
    if (tooLarge(claimed))
        return {PictureError::TooLarge, {}, claimed};
    QImage image = reader.read();
    if (image.isNull())
        return {PictureError::NotAPicture, {}, claimed};
    return {PictureError::None, image, image.size()};
}

} // namespace tovik
