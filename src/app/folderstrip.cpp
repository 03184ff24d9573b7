// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "app/folderstrip.h"

#include <QFileInfo>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>

namespace tovik {

namespace {
constexpr int Side = 96;     // a cell's width and height, in logical pixels
constexpr int Margin = 5;    // around the thumbnail within its cell
constexpr int MarkWidth = 3; // of the frame round the entry shown
constexpr int WheelNotch = 120;
const QColor Background(0x30, 0x30, 0x30);
const QColor Placeholder(0x48, 0x48, 0x48);
} // namespace

FolderStrip::FolderStrip(Maker maker, QWidget* parent)
    : QWidget(parent), m_maker(std::move(maker)) {
    m_workers.setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

FolderStrip::~FolderStrip() {
    m_workers.clear();
    m_workers.waitForDone();
}

QSize FolderStrip::sizeHint() const {
    return {Side * 4, Side};
}

int FolderStrip::cellWidth() const {
    return Side;
}

QSize FolderStrip::thumbnailPixels() const {
    const int side = int((Side - 2 * Margin) * devicePixelRatioF());
    return {side, side};
}

void FolderStrip::follow(const QStringList& paths, int current) {
    if (paths != m_paths) {
        m_paths = paths;
        scrollTo(m_offset); // within the new length
    }
    if (current != m_current) {
        m_current = current;
        keepInView(current);
    }
    want();
    update();
}

void FolderStrip::forget(const QString& path) {
    m_made.remove(path);
    m_written.insert(path);
    if (m_working.contains(path))
        m_stale.insert(path); // what the worker makes now is of the file as it was
    want();
}

int FolderStrip::firstInView() const {
    return m_offset / cellWidth();
}

int FolderStrip::lastInView() const {
    const int last = (m_offset + width() - 1) / cellWidth();
    return std::min(last, int(m_paths.size()) - 1);
}

int FolderStrip::entryAt(QPoint point) const {
    if (point.x() < 0 || point.y() < 0 || point.y() >= height())
        return -1;
    const int index = (m_offset + point.x()) / cellWidth();
    return index < m_paths.size() ? index : -1;
}

bool FolderStrip::inViewMade() const {
    for (int i = firstInView(); i <= lastInView(); ++i)
        if (!m_made.contains(m_paths[i]))
            return false;
    return true;
}

void FolderStrip::scrollTo(int offset) {
    const int most = std::max(0, int(m_paths.size()) * cellWidth() - width());
    const int now = std::clamp(offset, 0, most);
    if (now == m_offset)
        return;
    m_offset = now;
    want();
    update();
}

// An entry out of view, or only partly in it, comes to the middle.
void FolderStrip::keepInView(int index) {
    if (index < 0)
        return;
    const int left = index * cellWidth();
    if (left < m_offset || left + cellWidth() > m_offset + width())
        scrollTo(left + cellWidth() / 2 - width() / 2);
}

// What the view needs, nearest its middle first, then a view's width either side; what lies
// beyond is let go.
void FolderStrip::want() {
    m_wanted.clear();
    if (m_paths.isEmpty())
        m_made.clear(); // no list: nothing to keep
    if (isHidden() || m_paths.isEmpty())
        return;
    const int first = firstInView(), last = lastInView();
    const int span = last - first + 1;
    const int middle = (first + last) / 2;
    const int from = std::max(0, first - span);
    const int to = std::min(int(m_paths.size()) - 1, last + span);
    auto inView = [&](int i) { return i >= first && i <= last; };
    QSet<QString> kept;
    for (int i = from; i <= to; ++i)
        kept.insert(m_paths[i]);
    for (auto it = m_made.begin(); it != m_made.end();)
        it = kept.contains(it.key()) ? std::next(it) : m_made.erase(it);
    std::vector<int> order;
    for (int i = from; i <= to; ++i)
        order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        if (inView(a) != inView(b))
            return inView(a);
        return std::abs(a - middle) < std::abs(b - middle);
    });
    for (int i : order)
        if (!m_made.contains(m_paths[i]))
            m_wanted << m_paths[i];
    startNext();
}

// Hands the nearest wanted thumbnails to the workers, no more at once than they run.
void FolderStrip::startNext() {
    while (m_working.size() < m_workers.maxThreadCount()) {
        const auto next = std::find_if(m_wanted.begin(), m_wanted.end(),
                                       [&](const QString& p) { return !m_working.contains(p); });
        if (next == m_wanted.end())
            return;
        const QString path = *next;
        m_wanted.erase(next);
        m_working.insert(path);
        const bool anew = m_written.remove(path);
        m_workers.start([this, path, anew, maker = m_maker, box = thumbnailPixels()] {
            QImage thumbnail = maker(path, anew);
            if (thumbnail.width() > box.width() || thumbnail.height() > box.height())
                thumbnail = thumbnail.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            QMetaObject::invokeMethod(
                this, [this, path, thumbnail] { made(path, thumbnail); }, Qt::QueuedConnection);
        });
    }
}

void FolderStrip::made(const QString& path, const QImage& thumbnail) {
    m_working.remove(path);
    const bool wanted = !m_stale.remove(path) && m_paths.contains(path);
    if (wanted)
        m_made.insert(path, thumbnail);
    want(); // also lets go of it when it is out of reach by now
    if (wanted) {
        update();
        if (inViewMade())
            emit inViewReady();
    }
}

void FolderStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Background);
    for (int i = firstInView(); i <= lastInView(); ++i)
        paintCell(painter, i);
    const int whole = int(m_paths.size()) * cellWidth();
    if (whole > width()) { // where the view is in the list
        const int left = int(qint64(m_offset) * width() / whole);
        const int length = std::max(8, int(qint64(width()) * width() / whole));
        painter.fillRect(left, height() - 3, length, 3, QColor(0x90, 0x90, 0x90));
    }
}

void FolderStrip::paintCell(QPainter& painter, int index) const {
    const QRect cell(index * cellWidth() - m_offset, 0, cellWidth(), height());
    const QRect box = cell.adjusted(Margin, Margin, -Margin, -Margin);
    const QImage thumbnail = m_made.value(m_paths[index]);
    if (thumbnail.isNull()) {
        painter.fillRect(box, Placeholder);
    } else {
        // Made at the screen's pixels for the box, so it fits it as it is.
        const QSizeF size = QSizeF(thumbnail.size()) / devicePixelRatioF();
        const QRectF place(QPointF(box.center()) - QPointF(size.width(), size.height()) / 2, size);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(place, thumbnail);
    }
    if (index == m_current) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), MarkWidth));
        painter.drawRect(cell.adjusted(MarkWidth / 2 + 1, MarkWidth / 2 + 1, -MarkWidth / 2 - 1,
                                       -MarkWidth / 2 - 1));
    }
}

void FolderStrip::mousePressEvent(QMouseEvent* event) {
    const int index = entryAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index >= 0)
        emit chosen(index);
}

void FolderStrip::wheelEvent(QWheelEvent* event) {
    const QPoint pixels = event->pixelDelta();
    const QPoint angle = event->angleDelta();
    int by = 0;
    if (!pixels.isNull())
        by = pixels.y() != 0 ? pixels.y() : pixels.x();
    else
        by = (angle.y() != 0 ? angle.y() : angle.x()) * cellWidth() / WheelNotch;
    scrollTo(m_offset - by);
    event->accept();
}

bool FolderStrip::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const int index = entryAt(help->pos());
        if (index >= 0)
            QToolTip::showText(help->globalPos(), QFileInfo(m_paths[index]).fileName(), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void FolderStrip::resizeEvent(QResizeEvent*) {
    scrollTo(m_offset);
    keepInView(m_current);
    want();
}

void FolderStrip::showEvent(QShowEvent*) {
    keepInView(m_current);
    want();
}

} // namespace tovik
