#include "app/drawingsurface.h"

#include <QPaintEvent>
#include <QPainter>

namespace tovik {

void DrawingSurface::setDrawing(const QImage& drawing) {
    m_drawing = drawing;
    update();
}

void DrawingSurface::paintEvent(QPaintEvent* event) {
    if (m_drawing.isNull())
        return;
    QPainter painter(this);
    const QRect exposed = event->rect();
    painter.drawImage(exposed.topLeft(), m_drawing, exposed);
}

} // namespace tovik
