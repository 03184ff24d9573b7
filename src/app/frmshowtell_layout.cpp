// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "app/frmshowtell.h"

#include "core/zoomsteps.h"

#include <QScrollBar>

#include <algorithm>

namespace tovik {

namespace {
void applyScrollSetup(QScrollBar* bar, const ScrollSetup& setup) {
    bar->setMaximum(std::max<qint32>(0, setup.maximum));
    if (!setup.visible) {
        bar->hide();
        return;
    }
    bar->setPageStep(setup.largeStep);
    bar->setSingleStep(setup.smallStep);
    bar->show();
}
} // namespace

void frmShowTell::Form_Resize() {
    redraw();
}

frmShowTell::Redraw frmShowTell::redraw() {
    if (!placeViewport())
        return Redraw::NoRoom;
    if (imgThree.isEmpty()) {
        imgOne->clear();
        return Redraw::NoPicture;
    }
    if (m_state.FitToWindow)
        m_state.ZoomFactor = fitFactor(imgThree.pixels.width(), imgThree.pixels.height(),
                                       imgTwo->width() * devicePixelRatioF(),
                                       imgTwo->height() * devicePixelRatioF());
    if (!drawPicture()) {
        imgOne->clear(); // never the last picture's drawing over this one
        return Redraw::TooLarge;
    }
    LayoutScrollBars();
    return Redraw::Drawn;
}

bool frmShowTell::placeViewport() {
    const auto r = viewportRect(clientFrame());
    if (!r)
        return false;
    imgTwo->setGeometry(toPixelsX(r->left), toPixelsY(r->top), toPixelsX(r->width),
                        toPixelsY(r->height));
    return true;
}

bool frmShowTell::drawPicture() {
    surfaceWidth = float(imgThree.width) * m_state.ZoomFactor;
    surfaceHeight = float(imgThree.height) * m_state.ZoomFactor;
    if (imgThree.isEmpty()) {
        imgOne->clear();
        return true;
    }
    const QSize size = drawingSize();
    // Nothing that large is held while viewing, but Save As must be able to render what is shown.
    // A large picture is drawn from its parts at any zoom: its Save As says when it cannot.
    if (!imgThree.large && qint64(size.width()) * size.height() * 4 > renderBudget)
        return false;
    imgOne->setPicture(imgThree.picture, size);
    imgOne->setLarge(imgThree.large.get());
    return true;
}

QSize frmShowTell::drawingSize() const {
    const double scale = devicePixelRatioF();
    return {std::max(1, toPixelsX(surfaceWidth * scale)),
            std::max(1, toPixelsY(surfaceHeight * scale))};
}

PictureHolder frmShowTell::held(const QImage& picture, QSize pixels) const {
    const double scale = devicePixelRatioF();
    if (!pixels.isValid())
        pixels = picture.size();
    return {picture, pixels.width() * m_tppX / scale, pixels.height() * m_tppY / scale, pixels, {}};
}

QImage frmShowTell::renderDrawing() const {
    if (imgThree.isEmpty() || imgOne->isEmpty())
        return {};
    const QSize size = drawingSize();
    if (imgThree.large) // from the picture itself, decoded at this zoom
        return imgThree.large->rendered(size);
    return size == imgThree.picture.size()
               ? imgThree.picture
               : imgThree.picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void frmShowTell::LayoutScrollBars() {
    const double toolbar = Toolbar1->isHidden() ? 0 : Toolbar1->height() * m_tppY;
    const double viewWidth = imgTwo->width() * m_tppX;
    const double viewHeight = imgTwo->height() * m_tppY;
    HScroll1->setGeometry(0, toPixelsY(toolbar + viewHeight), toPixelsX(viewWidth),
                          HScroll1->sizeHint().height());
    VScroll1->setGeometry(toPixelsX(viewWidth), toPixelsY(toolbar), VScroll1->sizeHint().width(),
                          toPixelsY(viewHeight));
    applyScrollSetup(VScroll1, rangeScrollBar(surfaceHeight, viewHeight));
    applyScrollSetup(HScroll1, rangeScrollBar(surfaceWidth, viewWidth));
}

void frmShowTell::HScroll1_Change(int value) {
    imgOne->move(-toPixelsX(value), imgOne->y());
}

void frmShowTell::VScroll1_Change(int value) {
    imgOne->move(imgOne->x(), -toPixelsY(value));
}

} // namespace tovik
