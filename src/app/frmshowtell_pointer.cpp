// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "app/commandrouter.h"
#include "app/frmshowtell.h"
#include "core/rounding.h"

#include <QApplication>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QScrollBar>
#include <QWheelEvent>

namespace tovik {

// Ctrl+wheel zooms about the point under the pointer; otherwise the wheel moves the scroll bars
// (Shift, or a sideways swipe, the horizontal one) by their own small steps, so that their values
// and the picture stay in step.
void frmShowTell::wheelOverPicture(const QWheelEvent& event) {
    const QPoint angle = event.angleDelta();
    if (event.modifiers() & Qt::ControlModifier) {
        if (angle.y() != 0)
            zoomAt(event.position(), angle.y() > 0 ? 1 : -1);
        return;
    }
    if (!event.pixelDelta().isNull() && !(event.modifiers() & Qt::ShiftModifier)) {
        scrollBy(-event.pixelDelta()); // a touchpad's two fingers: the picture follows them
        return;
    }
    const bool sideways =
        (event.modifiers() & Qt::ShiftModifier) || qAbs(angle.x()) > qAbs(angle.y());
    QScrollBar* bar = sideways ? HScroll1 : VScroll1;
    double& rest = sideways ? m_wheelRestX : m_wheelRestY;
    const int delta = sideways && angle.x() != 0 ? angle.x() : angle.y();
    if (bar->isHidden())
        return;
    // A notch (120) is as many small steps as the desktop scrolls lines for it.
    rest += -delta / 120.0 * QApplication::wheelScrollLines() * bar->singleStep();
    const int move = int(rest);
    rest -= move;
    bar->setValue(bar->value() + move);
}

// A touchpad's pinch zooms about the fingers, a zoom step for each fifth the fingers spread or
// close; the rest waits for the next movement.
void frmShowTell::pinchOverPicture(const QNativeGestureEvent& event, QPointF inViewport) {
    constexpr double Step = 0.2;
    if (event.gestureType() != Qt::ZoomNativeGesture) {
        m_pinchRest = 0;
        return;
    }
    m_pinchRest += event.value();
    while (qAbs(m_pinchRest) >= Step) {
        const int direction = m_pinchRest > 0 ? 1 : -1;
        m_pinchRest -= direction * Step;
        zoomAt(inViewport, direction);
    }
}

// The zoom the wheel asks for, with the point of the picture under the pointer kept there as far
// as the scroll bars reach (the toolbar's zoom keeps its own rule: from the top-left corner).
void frmShowTell::zoomAt(QPointF pointer, int direction) {
    const double before = m_state.ZoomFactor;
    const QPointF onPicture = (pointer - QPointF(imgOne->pos())) / before;
    m_commands.zoomWheel(*this, direction);
    const double after = m_state.ZoomFactor;
    if (after == before)
        return;
    const QPointF corner = onPicture * after - pointer; // where the viewport's corner falls
    if (!HScroll1->isHidden()) {
        HScroll1->setValue(int(roundHalfEven(corner.x() * m_tppX)));
        HScroll1_Change(HScroll1->value()); // the picture follows even a value that stayed
    }
    if (!VScroll1->isHidden()) {
        VScroll1->setValue(int(roundHalfEven(corner.y() * m_tppY)));
        VScroll1_Change(VScroll1->value());
    }
}

// The picture dragged with the left button moves with the pointer, through the scroll bars.
bool frmShowTell::dragPicture(const QEvent& event) {
    const auto* mouse = dynamic_cast<const QMouseEvent*>(&event);
    if (!mouse)
        return false;
    const QPoint at = mouse->globalPosition().toPoint();
    switch (event.type()) {
    case QEvent::MouseButtonPress:
        if (mouse->button() != Qt::LeftButton)
            return false;
        m_dragFrom = at;
        imgOne->setCursor(Qt::ClosedHandCursor);
        return true;
    case QEvent::MouseMove:
        if (!m_dragFrom)
            return false;
        scrollBy(*m_dragFrom - at);
        m_dragFrom = at;
        return true;
    case QEvent::MouseButtonRelease:
        if (mouse->button() != Qt::LeftButton || !m_dragFrom)
            return false;
        m_dragFrom.reset();
        imgOne->unsetCursor();
        return true;
    default:
        return false;
    }
}

void frmShowTell::scrollBy(QPoint pixels) {
    if (!HScroll1->isHidden())
        HScroll1->setValue(HScroll1->value() + int(roundHalfEven(pixels.x() * m_tppX)));
    if (!VScroll1->isHidden())
        VScroll1->setValue(VScroll1->value() + int(roundHalfEven(pixels.y() * m_tppY)));
}

} // namespace tovik
