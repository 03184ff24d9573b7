// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/decoding/decodehere.h"

#include "imaging/colour/screencolours.h"
#include "imaging/decoding/canvas.h"
#include "imaging/decoding/guarded.h"
#include "imaging/jpeg/jpegcolour.h"
#include "imaging/jpeg/jpegpaths.h"
#include "imaging/metadata/pictureproperties.h"
#include "imaging/openpicture.h"
#include "imaging/reading/orientation.h"
#include "imaging/reading/picturesource.h"
#include "plugins/libraryformats.h"
#include "plugins/metafile/metafileimage.h"
#include "plugins/metafile/metafileplugin.h"
#include "plugins/profiles.h"

#include <QColorSpace>
#include <QFile>
#include <QtPlugin>

#include <memory>
#include <utility>

#include <sys/stat.h>

Q_IMPORT_PLUGIN(MetafilePlugin)

namespace tovik {

QImage inScreenColours(QImage image, PictureSource& source) {
    if (source.format == "jpeg" && !image.colorSpace().isValid())
        setProfile(image, source.jpegColours().icc);
    toScreenColours(image);
    return image;
}

namespace {
// A CMYK JPEG with a profile of its own, at least stored (as stored; whole when invalid):
// decoded by libjpeg-turbo into the picture's own memory and converted there, one picture's
// memory in all. Qt's reader would read neither its profile nor its inks alone. Null for any
// other file.
QImage profiledCmyk(PictureSource& source, QSize stored = {}) {
    if (source.format != "jpeg")
        return {};
    const JpegColour& colour = source.jpegColours();
    if (colour.components != 4 || colour.icc.isEmpty())
        return {};
    return cmykJpeg(source.bytes(), colour, source.turn, stored);
}

QSize sizeFrom(PictureSource& source) {
    if (source.error != PictureError::None || !source.claimed.isValid())
        return {};
    return turnsSideways(source) ? source.claimed.transposed() : source.claimed;
}

QImage scaledFrom(PictureSource& source, const QSize& size) {
    if (source.error != PictureError::None)
        return {};
    QImageReader& reader = source.reader();
    // The reader scales before it turns the picture upright.
    const QSize stored = turnsSideways(source) ? size.transposed() : size;
    QImage thumbnail = reducedJpeg(source, stored);
    if (thumbnail.isNull())
        thumbnail = profiledCmyk(source, stored);
    if (thumbnail.isNull()) {
        reader.setScaledSize(stored);
        thumbnail = inScreenColours(source.read(), source);
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
    const QImage image = renderMetafileOutside(source.bytes());
    if (image.isNull())
        return {PictureError::NotAPicture, {}, {}};
    PictureLoad drawn{PictureError::None, image, image.size()};
    const QSize size = kind == DecodeKind::Thumbnail ? scale.of(drawn.image.size()) : scaled;
    if (kind == DecodeKind::Size)
        drawn.image = {};
    else if (kind != DecodeKind::Load)
        drawn.image = drawn.image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return drawn;
}

// Where a camera RAW's preview lies. In the helper, LibRaw reads the file where it is mapped, only
// the pages it needs of a file that runs to 100 MB (a file cut short meanwhile ends the helper,
// not the viewer); here, it is read.
PictureLoad previewPlace(int fd, bool inHelper) {
    struct stat info {};
    if (!isRegularFile(fd) || ::fstat(fd, &info) != 0 || info.st_size <= 0 ||
        info.st_size > MaxPictureFileBytes)
        return {PictureError::NotAPicture, {}, {}};
    std::shared_ptr<void> mapping;
    QByteArray file = inHelper ? mappedBytes(fd, info.st_size, mapping) : QByteArray();
    QFile read;
    if (!inHelper && read.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle) &&
        read.seek(0))
        file = read.read(info.st_size);
    const LibraryFormats* library = libraryFormats();
    const EmbeddedJpeg found = library ? library->embeddedJpeg(file) : EmbeddedJpeg();
    PictureLoad place{
        found.offset < 0 ? PictureError::NotAPicture : PictureError::None, {}, found.size};
    place.embedded = {found.offset, found.length, found.orientation};
    return place;
}

PictureLoad loadFrom(PictureSource& source, qint64 room, bool exact = false) {
    if (source.error != PictureError::None)
        return {source.error, {}, source.claimed};
    if (source.cost > room)
        return {PictureError::NoRoom, {}, source.claimed};
    // The reader decodes into the canvas when it has the picture's size and form.
    QImageReader& reader = source.reader();
    const bool animated = reader.supportsAnimation() && reader.imageCount() > 1;
    QImage image = exact ? QImage() : decodedInBands(source);
    if (image.isNull() && !exact)
        image = profiledCmyk(source);
    if (!image.isNull())
        return {PictureError::None, image, image.size(), animated};
    image = pictureCanvas(reader);
    if (!reader.read(&image) || image.isNull())
        return {PictureError::NotAPicture, {}, source.claimed};
    image = upright(std::move(image), source.turn);
    if (!exact)
        image = inScreenColours(std::move(image), source);
    PictureLoad load{PictureError::None, image, image.size(), animated};
    load.delayMs = animated ? reader.nextImageDelay() : 0;
    return load;
}
} // namespace

PictureLoad decodeHere(int fd, DecodeKind kind, qint64 room, const QSize& scaled, bool drawOutside,
                       const ThumbnailScale& scale) {
    return guarded(
        [&]() -> PictureLoad {
            if (kind == DecodeKind::Preview)
                return previewPlace(fd, !drawOutside);
            PictureSource source(fd, !drawOutside); // drawn here: in the helper
            if (source.drawnOutside() && kind == DecodeKind::Properties) {
                PictureLoad drawing{PictureError::None, {}, {}};
                drawing.properties = "Format\t" + source.format.toUpper() + '\n';
                return drawing;
            }
            if (source.drawnOutside()) {
                PictureLoad outside{PictureError::NotAPicture, {}, {}};
                outside.outside = true;
                return drawOutside ? drawnAnswer(source, kind, scaled, scale) : outside;
            }
            switch (kind) {
            case DecodeKind::Size: {
                PictureLoad sized{source.error, {}, sizeFrom(source)};
                sized.quickScaled = source.format == "raw";
                return sized;
            }
            case DecodeKind::Scaled:
                return {source.error, scaledFrom(source, scaled), source.claimed};
            case DecodeKind::Thumbnail:
                return thumbnailFrom(source, scale);
            case DecodeKind::Exact:
                return loadFrom(source, PictureBudgetBytes, true);
            case DecodeKind::Properties: {
                PictureLoad said{source.error, {}, source.claimed};
                said.properties = propertiesOf(source);
                return said;
            }
            default:
                return loadFrom(source, room);
            }
        },
        PictureLoad{PictureError::TooLarge, {}, {}});
}

} // namespace tovik
