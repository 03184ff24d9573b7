#pragma once

#include <QImage>
#include <QWidget>

namespace tovik {

// imgOne: holds the picture as drawn and keeps it across repaints. Scrolling moves the widget
// inside the viewport; painting only copies the exposed part, so nothing is scaled again.
class DrawingSurface : public QWidget {
public:
    explicit DrawingSurface(QWidget* parent = nullptr) : QWidget(parent) {}

    const QImage& drawing() const { return m_drawing; }
    void setDrawing(const QImage& drawing);
    void clear() { setDrawing(QImage()); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_drawing;
};

} // namespace tovik
