// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QHash>
#include <QImage>
#include <QSet>
#include <QStringList>
#include <QThreadPool>
#include <QWidget>

#include <functional>

namespace tovik {

// The folder strip: the list's thumbnails in a row along the foot of the window, the entry shown
// marked and kept in view; a click chooses an entry, the wheel scrolls. Thumbnails are made on
// worker threads, those in view first, and only for the part in view and a view's width either
// side: the rest are let go, so that the strip holds as much for a list of ten thousand as for
// one of twenty, and never holds the window up.
class FolderStrip : public QWidget {
    Q_OBJECT
public:
    // Makes a path's thumbnail (on a worker thread), anew when the file was written since it was
    // last made (a thumbnail kept of it is then no longer to be trusted); null when it has none.
    using Maker = std::function<QImage(const QString& path, bool anew)>;
    explicit FolderStrip(Maker maker, QWidget* parent = nullptr);
    ~FolderStrip() override;

    // The list as it is now, and the entry shown (from 0; -1 for none).
    void follow(const QStringList& paths, int current);
    // The path's thumbnail is made again (its file was written).
    void forget(const QString& path);
    int current() const { return m_current; }
    // The first and last entries of which any part is in view (last below first: none).
    int firstInView() const;
    int lastInView() const;
    // The entry under a point of the strip; -1 for none.
    int entryAt(QPoint point) const;
    // Whether every thumbnail in view is made (or has been found to be none).
    bool inViewMade() const;
    // How many thumbnails are held, made or failed.
    qsizetype held() const { return m_made.size(); }
    QSize sizeHint() const override;

signals:
    void chosen(int index);
    // Every thumbnail in view is made.
    void inViewReady();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    int cellWidth() const;
    QSize thumbnailPixels() const;
    void scrollTo(int offset);
    void keepInView(int index);
    void want();
    void startNext();
    void made(const QString& path, const QImage& thumbnail);
    void paintCell(QPainter& painter, int index) const;

    Maker m_maker;
    QStringList m_paths;
    int m_current = -1;
    int m_offset = 0;              // pixels scrolled from the first entry
    QHash<QString, QImage> m_made; // a null thumbnail: the file has none
    QSet<QString> m_working;       // on a worker now
    QSet<QString> m_stale;         // on a worker, but written since
    QSet<QString> m_written;       // to be made anew
    QStringList m_wanted;          // what the view needs, nearest first
    QThreadPool m_workers;
};

} // namespace tovik
