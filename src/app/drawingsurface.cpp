// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "app/drawingsurface.h"

#include "app/scaledpart.h"
#include "imaging/largepicture.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace tovik {

namespace {
QImage drawable(const QImage& picture) {
    const QImage::Format format =
        picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    return picture.convertToFormat(format); // shares the pixels when already in that form
}
} // namespace

DrawingSurface::DrawingSurface(QWidget* parent) : QWidget(parent) {
    // Every paint covers what it is given, so Qt may scroll what is already on screen.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void DrawingSurface::setPicture(const QImage& picture, QSize size) {
    if (picture.cacheKey() != m_sourceKey) {
        m_picture = drawable(picture);
        m_sourceKey = picture.cacheKey();
    }
    m_size = size;
    const double scale = devicePixelRatioF();
    setGeometry(0, 0, int(std::ceil(size.width() / scale)), int(std::ceil(size.height() / scale)));
    update();
}

void DrawingSurface::setFrame(const QImage& frame) {
    m_picture = drawable(frame);
    m_sourceKey = frame.cacheKey();
    update();
}

void DrawingSurface::setLarge(LargePicture* large) {
    if (m_large)
        disconnect(m_large, nullptr, this, nullptr);
    m_large = large;
    if (large)
        connect(large, &LargePicture::arrived, this, qOverload<>(&QWidget::update));
}

int DrawingSurface::partsDenominator() const {
    if (!m_large || m_size.isEmpty())
        return 0;
    const double zoom = double(m_size.width()) / m_large->size().width();
    if (zoom * m_large->overviewFactor() <= 1.0)
        return 0; // the overview has a pixel for each drawn
    int denominator = 1;
    while (denominator < 8 && zoom * denominator * 2 <= 1.0)
        denominator *= 2;
    return denominator;
}

double DrawingSurface::partsScale(int denominator) const {
    return double(m_size.width()) / m_large->size().width() * denominator;
}

QRect DrawingSurface::partsOver(const QRect& part, int denominator) const {
    const double scale = partsScale(denominator);
    return QRectF(QPointF(part.topLeft()) / scale, QSizeF(part.size()) / scale).toAlignedRect();
}

void DrawingSurface::drawParts(QPainter& painter, const QRect& part, QPoint at) const {
    const int denominator = partsDenominator();
    if (denominator == 0)
        return;
    const double scale = partsScale(denominator);
    const bool exact = scale == 1.0;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, !exact);
    for (const LargePicture::Part& piece :
         m_large->parts(partsOver(part, denominator), denominator, false)) {
        const QRectF target(QPointF(piece.rect.topLeft()) * scale - QPointF(part.topLeft()) + at,
                            QSizeF(piece.rect.size()) * scale);
        if (exact)
            painter.drawImage(target.topLeft(), piece.image);
        else
            painter.drawImage(target, piece.image);
    }
}

void DrawingSurface::clear() {
    setLarge(nullptr);
    m_picture = QImage();
    m_sourceKey = 0;
    m_size = {};
    update();
}

QImage DrawingSurface::drawnPart(const QRect& part) const {
    QImage out(part.size(), QImage::Format_RGB32);
    const QRect inside = part & QRect(QPoint(0, 0), m_size); // the widget's last part may be over
    if (m_picture.isNull() || m_picture.hasAlphaChannel() || inside != part)
        out.fill(palette().color(backgroundRole())); // what shows through
    if (m_picture.isNull() || inside.isEmpty())
        return out;
    QPainter painter(&out);
    const QPoint at = inside.topLeft() - part.topLeft();
    if (m_size == m_picture.size())
        painter.drawImage(at, m_picture, inside);
    else
        painter.drawImage(at, scaledPart(m_picture, m_size, inside));
    drawParts(painter, inside, at);
    return out;
}

// Drawn in device pixels: the painter's scale is undone, and each exposed part is widened to the
// device pixels it touches.
void DrawingSurface::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const double scale = devicePixelRatioF();
    painter.setTransform(QTransform::fromScale(1 / scale, 1 / scale));
    if (const int denominator = partsDenominator()) { // asked for once, for all that is painted
        const QRect bounds = event->region().boundingRect();
        m_large->parts(
            partsOver(QRectF(QPointF(bounds.topLeft()) * scale, QSizeF(bounds.size()) * scale)
                          .toAlignedRect(),
                      denominator),
            denominator);
    }
    for (const QRect& part : event->region()) {
        const QRect device =
            QRectF(QPointF(part.topLeft()) * scale, QSizeF(part.size()) * scale).toAlignedRect();
        painter.drawImage(device.topLeft(), drawnPart(device));
    }
}

} // namespace tovik
