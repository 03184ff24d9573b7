// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "support/largepictures.h"

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

} // namespace tovik::test
