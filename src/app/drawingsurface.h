// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>

namespace tovik {

class LargePicture;

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
    // The picture shown is large's overview: where the zoom needs more, its parts are drawn over
    // it as they come (none: no longer).
    void setLarge(LargePicture* large);

    // What a paint draws over part (in device pixels of the drawing), background included.
    QImage drawnPart(const QRect& part) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The denominator large's parts are drawn at for this zoom; 0 when its overview does better.
    int partsDenominator() const;
    // How many drawing pixels a pixel of its parts at denominator covers, and which of them part
    // (of the drawing) covers.
    double partsScale(int denominator) const;
    QRect partsOver(const QRect& part, int denominator) const;
    // The parts of the large picture that have come for part (of the drawing), drawn at at.
    void drawParts(QPainter& painter, const QRect& part, QPoint at) const;
    QPointer<LargePicture> m_large;
    QImage m_picture; // RGB32 or premultiplied: the forms the scaling reads
    qint64 m_sourceKey = 0;
    QSize m_size; // of the drawing, in device pixels
};

} // namespace tovik
