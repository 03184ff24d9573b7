// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "app/drawingsurface.h"

#include "app/scaledpart.h"

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

void DrawingSurface::clear() {
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
    return out;
}

// Drawn in device pixels: the painter's scale is undone, and each exposed part is widened to the
// device pixels it touches.
void DrawingSurface::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const double scale = devicePixelRatioF();
    painter.setTransform(QTransform::fromScale(1 / scale, 1 / scale));
    for (const QRect& part : event->region()) {
        const QRect device =
            QRectF(QPointF(part.topLeft()) * scale, QSizeF(part.size()) * scale).toAlignedRect();
        painter.drawImage(device.topLeft(), drawnPart(device));
    }
}

} // namespace tovik
