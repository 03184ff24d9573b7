// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "app/drawingsurface.h"

#include "app/scaledpart.h"

#include <QPaintEvent>
#include <QPainter>

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
    setGeometry(0, 0, size.width(), size.height());
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
    update();
}

QImage DrawingSurface::drawnPart(const QRect& part) const {
    QImage out(part.size(), QImage::Format_RGB32);
    if (m_picture.isNull() || m_picture.hasAlphaChannel()) // what shows through
        out.fill(palette().color(backgroundRole()));
    if (m_picture.isNull())
        return out;
    QPainter painter(&out);
    if (size() == m_picture.size())
        painter.drawImage(QPoint(0, 0), m_picture, part);
    else
        painter.drawImage(0, 0, scaledPart(m_picture, size(), part));
    return out;
}

void DrawingSurface::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    for (const QRect& part : event->region())
        painter.drawImage(part.topLeft(), drawnPart(part));
}

} // namespace tovik
