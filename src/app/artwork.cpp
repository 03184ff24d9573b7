// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "app/artwork.h"

#include <QBitmap>
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QPolygon>
#include <QSvgGenerator>

#include <cmath>
#include <functional>

namespace tovik {

namespace {

// Drawn in the 16 VGA colours on light grey, which is the transparent colour.
const QColor Transparent(192, 192, 192);
const QColor Black(0, 0, 0), Navy(0, 0, 128), Blue(0, 0, 255), Green(0, 128, 0), Red(255, 0, 0);
const QColor Yellow(255, 255, 0), Olive(128, 128, 0), White(255, 255, 255), Grey(128, 128, 128);

// Drawn at size logical pixels on a screen of this scale: at the device size, in the same
// colours, so that a scaled screen shows it sharp rather than enlarged.
QPixmap paint(int size, const std::function<void(QPainter&)>& draw, double scale = 1) {
    const int pixels = int(std::lround(size * scale));
    QImage image(pixels, pixels, QImage::Format_RGB32);
    image.fill(Transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.scale(scale, scale);
        draw(p);
    }
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setMask(QBitmap::fromImage(image.createMaskFromColor(Transparent.rgb())));
    pixmap.setDevicePixelRatio(scale);
    return pixmap;
}

// The scales desktops offer.
constexpr double Scales[] = {1, 1.25, 1.5, 1.75, 2, 2.5, 3};

void openFolder(QPainter& p) {
    p.setPen(Black);
    p.setBrush(Olive);
    p.drawPolygon(QPolygon({{1, 3}, {5, 3}, {6, 4}, {12, 4}, {12, 13}, {1, 13}}));
    p.setBrush(Yellow);
    p.drawPolygon(QPolygon({{3, 7}, {15, 7}, {12, 13}, {1, 13}}));
}

void arrow(QPainter& p, bool left) {
    QPolygon shape({{2, 8}, {8, 2}, {8, 5}, {14, 5}, {14, 11}, {8, 11}, {8, 14}});
    if (!left)
        shape = QTransform(-1, 0, 0, 1, 16, 0).map(shape);
    p.setPen(Navy);
    p.setBrush(Blue);
    p.drawPolygon(shape);
}

void clockFace(QPainter& p) {
    p.setPen(Black);
    p.setBrush(White);
    p.drawEllipse(1, 1, 13, 13);
    p.drawLine(8, 8, 8, 3);
    p.drawLine(8, 8, 11, 9);
    p.setPen(Red);
    p.drawPoint(8, 8);
}

void ring(QPainter& p) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Green, 3));
    p.drawEllipse(3, 3, 10, 10);
}

void sign(QPainter& p, bool horizontal, bool vertical, bool doubled) {
    const QColor ink = Navy;
    if (doubled) {
        p.fillRect(2, 4, 12, 3, ink);
        p.fillRect(2, 9, 12, 3, ink);
        return;
    }
    if (horizontal)
        p.fillRect(2, 7, 12, 3, ink);
    if (vertical)
        p.fillRect(7, 2, 3, 12, ink);
}

void floppy(QPainter& p) {
    p.setPen(Black);
    p.setBrush(Navy);
    p.drawRect(1, 1, 13, 13);
    p.fillRect(4, 2, 8, 5, White);
    p.fillRect(5, 10, 6, 4, Grey);
    p.fillRect(9, 11, 1, 2, Black);
}

void grid(QPainter& p) {
    p.setPen(Black);
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 3; ++col) {
            p.setBrush((row + col) % 2 ? Blue : Red);
            p.drawRect(1 + col * 5, 3 + row * 6, 3, 3);
        }
}

// Two chevrons pointing right, or down.
void overflow(QPainter& p, bool horizontal) {
    if (!horizontal)
        p.setTransform(QTransform(0, 1, 1, 0, 0, 0)); // mirrored about the diagonal
    p.setPen(QPen(Black, 1.5));
    for (const int x : {4, 9}) {
        p.drawLine(x, 4, x + 3, 8);
        p.drawLine(x + 3, 8, x, 12);
    }
}

void iconDrawing(QPainter& p, int size) {
    // A framed picture: sky, a hill and a sun.
    const double s = size / 16.0;
    p.scale(s, s);
    p.setPen(Black);
    p.setBrush(Blue);
    p.drawRect(0, 1, 15, 13);
    p.setPen(Qt::NoPen);
    p.setBrush(Green);
    p.drawPolygon(QPolygon({{1, 14}, {6, 7}, {10, 11}, {12, 9}, {15, 13}, {15, 14}}));
    p.setBrush(Yellow);
    p.drawEllipse(10, 3, 3, 3);
}

} // namespace

QIcon toolbarPicture(int number) {
    std::function<void(QPainter&)> draw;
    switch (number) {
    case 1:
        draw = openFolder;
        break;
    case 2:
        draw = [](QPainter& p) { arrow(p, true); };
        break;
    case 3:
        draw = [](QPainter& p) { arrow(p, false); };
        break;
    case 4:
        draw = clockFace;
        break;
    case 5:
        draw = ring;
        break;
    case 6:
        draw = [](QPainter& p) { sign(p, true, true, false); };
        break;
    case 7:
        draw = [](QPainter& p) { sign(p, true, false, false); };
        break;
    case 8:
        draw = [](QPainter& p) { sign(p, false, false, true); };
        break;
    case 9:
        draw = floppy;
        break;
    case 10:
        draw = grid;
        break;
    default:
        return {};
    }
    QIcon icon;
    for (const double scale : Scales)
        icon.addPixmap(paint(16, draw, scale));
    return icon;
}

QIcon overflowPicture(bool horizontal) {
    QIcon icon;
    for (const double scale : Scales)
        icon.addPixmap(paint(
            16, [horizontal](QPainter& p) { overflow(p, horizontal); }, scale));
    return icon;
}

QPixmap applicationIconPixmap(int size) {
    return paint(size, [size](QPainter& p) { iconDrawing(p, size); });
}

QByteArray applicationIconSvg() {
    constexpr int Size = 256;
    QByteArray svg;
    QBuffer buffer(&svg);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize({Size, Size});
    generator.setViewBox(QRect(0, 0, Size, Size));
    generator.setTitle(QStringLiteral("Tovik Viewer"));
    QPainter painter(&generator);
    painter.setRenderHint(QPainter::Antialiasing);
    iconDrawing(painter, Size);
    painter.end();
    return svg;
}

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 96})
        icon.addPixmap(applicationIconPixmap(size));
    return icon;
}

} // namespace tovik
