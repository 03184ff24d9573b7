// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "support/largepictures.h"

#include "support/imagecompare.h"

#include <QColor>
#include <QRandomGenerator>
#include <QSignalSpy>

namespace tovik::test {

QImage scene(QSize size) {
    QImage image(size, QImage::Format_RGB888);
    QRandomGenerator random(7);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const int noise = int(random.bounded(60));
            const bool grid = (x / 37 + y / 23) % 2;
            image.setPixel(x, y,
                           qRgb((x * 255 / size.width() + noise) % 256,
                                grid ? 220 - noise : (y * 3) % 256, (x ^ y) & 0xff));
        }
    return image;
}

QImage smooth(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(
                x, y,
                QColor::fromHsv(x * 359 / size.width(), 220, 255 - y * 200 / size.height()).rgb());
    return image;
}

QImage boxed(const QImage& image, int box) {
    QImage out((image.width() + box - 1) / box, (image.height() + box - 1) / box,
               QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            int r = 0, g = 0, b = 0, n = 0;
            for (int j = y * box; j < std::min(image.height(), (y + 1) * box); ++j)
                for (int i = x * box; i < std::min(image.width(), (x + 1) * box); ++i, ++n) {
                    const QRgb p = image.pixel(i, j);
                    r += qRed(p), g += qGreen(p), b += qBlue(p);
                }
            out.setPixel(x, y, qRgb((r + n / 2) / n, (g + n / 2) / n, (b + n / 2) / n));
        }
    return out;
}

bool overviewCame(LargePicture& picture) {
    QSignalSpy arrived(&picture, &LargePicture::arrived);
    for (int i = 0; i < 200 && !picture.overviewDone(); ++i)
        arrived.wait(50);
    return picture.overviewDone();
}

QList<LargePicture::Part> partsCome(LargePicture& picture, const QRect& view, int denominator,
                                    qsizetype count) {
    picture.parts(view, denominator);
    QSignalSpy arrived(&picture, &LargePicture::arrived);
    QList<LargePicture::Part> parts;
    for (int i = 0; i < 200 && (parts = picture.parts(view, denominator, false)).size() < count;
         ++i)
        arrived.wait(50);
    return parts;
}

QString piecesDiffer(LargePicture& picture, const QImage& whole, int by, bool turned) {
    if (!overviewCame(picture))
        return QStringLiteral("no overview");
    const auto alike = [&](const QImage& a, const QImage& b, bool reduced) {
        const ImageDifference d = difference(a, b);
        return reduced && turned ? d.mean < 1 : d.worst <= by;
    };
    if (!alike(picture.overview(), boxed(whole, picture.overviewFactor()), true))
        return QStringLiteral("the overview");
    const QSize half = whole.size() / 2;
    const QList<LargePicture::Part> parts =
        partsCome(picture, QRect(QPoint(half.width(), half.height()), whole.size() - half), 1, 4);
    if (parts.size() != 4)
        return QStringLiteral("%1 parts came at zoom 1").arg(parts.size());
    for (const LargePicture::Part& part : parts)
        if (!alike(part.image, whole.copy(part.rect), false))
            return QStringLiteral("the part at zoom 1 at %1,%2 (by %3)")
                .arg(part.rect.x())
                .arg(part.rect.y())
                .arg(difference(part.image, whole.copy(part.rect)).worst);
    const QImage halved = boxed(whole, 2);
    const QList<LargePicture::Part> halves = partsCome(picture, QRect(QPoint(0, 0), half), 2, 4);
    if (halves.size() != 4)
        return QStringLiteral("%1 parts came at a half").arg(halves.size());
    for (const LargePicture::Part& part : halves)
        if (!alike(part.image, halved.copy(part.rect), true))
            return QStringLiteral("a part at a half");
    return {};
}

} // namespace tovik::test
