// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/pictures.h"

#include "core/rounding.h"
#include "imaging/decoding/framereader.h"
#include "imaging/decoding/route.h"
#include "imaging/largepicture.h"
#include "imaging/openpicture.h"
#include "plugins/rawembedded.h"

#include <QFile>

#include <algorithm>

namespace tovik {

namespace {
PictureLoad decodePicture(const QString& path, const DecodeRequest& request) {
    // A RAW's camera data are its own, and its preview is never written back. A thumbnail is
    // made from the smallest picture the camera kept that covers it, which the RAW's reader finds.
    const bool ownBytes = request.kind == DecodeKind::Properties ||
                          request.kind == DecodeKind::Exact ||
                          request.kind == DecodeKind::Thumbnail;
    const OpenPicture file(path, ownBytes ? OpenPicture::As::File : OpenPicture::As::Preview);
    if (file.fd() < 0)
        return {file.error(), {}, {}};
    return decodeRoute().decode(file.fd(), request);
}
} // namespace

QSize ThumbnailScale::of(QSize picture) const {
    if (box > 0) {
        if (picture.width() <= box && picture.height() <= box)
            return picture;
        const QSize fitted = picture.scaled(box, box, Qt::KeepAspectRatio);
        return {std::max(1, fitted.width()), std::max(1, fitted.height())};
    }
    // As the sheet lays it out: the side in twips, times percent, in whole pixels.
    const auto side = [&](int pixels, double tpp) {
        return std::max(1, twipsToPixels(pixels * tpp * percent, tpp));
    };
    return {side(picture.width(), tppX), side(picture.height(), tppY)};
}

PictureLoad loadPicture(const QString& path, qint64 room) {
    if (path.isEmpty())
        return {};
    return decodePicture(path, {DecodeKind::Load, room});
}

PictureLoad loadPictureExact(const QString& path) {
    return decodePicture(path, {DecodeKind::Exact});
}

QByteArray readProperties(const QString& path) {
    return decodePicture(path, {DecodeKind::Properties}).properties;
}

QSize pictureSize(const QString& path, bool* quickScaled) {
    const PictureLoad answer = decodePicture(path, {DecodeKind::Size});
    if (quickScaled)
        *quickScaled = answer.error == PictureError::None && answer.quickScaled;
    return answer.error == PictureError::None ? answer.claimed : QSize();
}

bool mayBeCameraRaw(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && tovik::mayBeCameraRaw(file.read(64));
}

QImage loadPictureScaled(const QString& path, const QSize& size) {
    return decodePicture(path, {DecodeKind::Scaled, 0, size}).image;
}

PictureLoad loadThumbnail(const QString& path, const ThumbnailScale& scale) {
    PictureLoad load = decodePicture(path, {DecodeKind::Thumbnail, 0, {}, scale});
    if (load.error == PictureError::TooLarge) { // it may still be read in one pass
        load.image = LargePicture::thumbnail(path, scale, &load.claimed);
        load.error = load.image.isNull() ? PictureError::TooLarge : PictureError::None;
    }
    return load;
}

PictureFrames::PictureFrames(const QString& path, int firstDelayMs)
    : m_path(path), m_helperDelay(firstDelayMs) {
    const OpenPicture file(path);
    if (file.fd() >= 0 && !decodeRoute().framesElsewhere(file.fd()))
        m_here = std::make_unique<FrameReader>(file.fd());
}

PictureFrames::~PictureFrames() = default;

QImage PictureFrames::next() {
    if (m_here)
        return m_here->next();
    const quint32 number = ++m_asked;
    const OpenPicture file(m_path);
    if (file.fd() < 0) {
        m_helperDelay = 0;
        return {};
    }
    return decodeRoute().frame(file.fd(), number, &m_helperDelay);
}

int PictureFrames::delayMs() const {
    return m_here ? m_here->delayMs() : shownDelayMs(m_helperDelay);
}

} // namespace tovik
