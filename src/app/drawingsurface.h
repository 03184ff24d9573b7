// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QImage>
#include <QWidget>

namespace tovik {

// imgOne: the picture at the zoomed size. The widget has that size and scrolling moves it inside
// the viewport, but it keeps only the picture at its own size: each paint scales just the part
// that is exposed. Zoom, resize and scroll cost the same at any zoom, and memory does not grow.
// The drawing is made in device pixels: on a scaled screen, a picture pixel at zoom 1 is one
// device pixel, never a block of them.
class DrawingSurface : public QWidget {
public:
    explicit DrawingSurface(QWidget* parent = nullptr);

    // Shows picture at size (in device pixels); the widget takes that size in its own units,
    // from the viewport's top-left corner.
    void setPicture(const QImage& picture, QSize size);
    // Another frame of the same size, where the picture is.
    void setFrame(const QImage& frame);
    void clear();
    bool isEmpty() const { return m_picture.isNull(); }

    // What a paint draws over part (in device pixels of the drawing), background included.
    QImage drawnPart(const QRect& part) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture; // RGB32 or premultiplied: the forms the scaling reads
    qint64 m_sourceKey = 0;
    QSize m_size; // of the drawing, in device pixels
};

} // namespace tovik
