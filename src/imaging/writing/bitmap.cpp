// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/bitmap.h"

#include <QPainter>

#include <algorithm>
#include <cstring>

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
