// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "imaging/pictureload.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QRect>

#include <memory>

namespace tovik {

// A picture too large to decode whole, shown from an overview (a reduced picture made in one
// pass over the file) and, where a zoom needs more, from parts of it decoded at that zoom as they
// are wanted. All of it is decoded in a sandboxed helper of its own, which is ended, with what it
// was doing, when this goes. A baseline JPEG, a PNG or a TIFF of up to 65536 x 65536 pixels can
// be one.
class LargePicture : public QObject {
    Q_OBJECT
public:
    // The picture at path when it is one too large to decode whole that can be read this way,
    // its overview begun, its first rows soon to come: fill shows until they do. Null for any
    // other file, and where there is no helper; error then says whether it is broken or too
    // large as well, None when it is simply no such picture.
    static std::unique_ptr<LargePicture> open(const QString& path, QRgb fill,
                                              PictureError* error = nullptr);
    ~LargePicture() override;
    // Such a picture's thumbnail at scale, from an overview made for it alone, waited for, and
    // its size; null for any other, or when even that passes the budget.
    static QImage thumbnail(const QString& path, const ThumbnailScale& scale, QSize* size);

    QSize size() const { return m_size; }
    // The overview, the picture reduced by overviewFactor: its rows are written in as they are
    // decoded. Whole once overviewDone.
    const QImage& overview() const { return m_overview; }
    int overviewFactor() const { return m_factor; }
    bool overviewDone() const;

    // Pictures of more pixels than this are large: those whose whole decode passes the budget.
    // TOVIK_LARGE_PICTURE_PIXELS sets another number (the tests' small pictures).
    static qint64 largeFrom();

    // A part decoded at denominator: rect in the pixels of the picture reduced by it.
    struct Part {
        QRect rect;
        QImage image;
    };
    // The parts decoded at denominator (1, 2, 4 or 8) that meet rect, in its pixels. With ask,
    // those missing are asked for, nearest rect's middle first, in place of any asked before;
    // and the parts least lately asked for are let go beyond a bound.
    QList<Part> parts(const QRect& rect, int denominator, bool ask = true);

    // The whole picture at size (a zoom's), decoded at the least reduction that covers it, then
    // scaled; waited for. Null when it would pass the budget, or breaks.
    QImage rendered(QSize size);

    // For tests: the helper's process.
    qint64 helperProcess() const;

signals:
    // More of the overview, or a part, has come: what is drawn may be drawn better.
    void arrived();

private:
    LargePicture() = default;
    struct Session;
    std::unique_ptr<Session> m_session;
    QImage m_overview;
    QSize m_size;
    int m_factor = 1;
};

} // namespace tovik
