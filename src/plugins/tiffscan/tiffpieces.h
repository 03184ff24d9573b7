// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "plugins/keptrows.h"

#include <QImage>

#include <functional>
#include <memory>
#include <vector>

namespace tovik::tiffscan {

// A TIFF too large to decode whole (in the decoding helper), read a tile or a few strips at a
// time through libtiff, each box of pixels averaged as they come. Where it is a pyramid (pages
// of the same picture halved and halved again), a reduction is read from the largest page that
// still covers it.
class TiffPieces {
public:
    // fd stays the caller's (it is duplicated); null when it is no TIFF read this way: stored
    // turned, or in pieces that pass MostPieceBytes decoded.
    static std::unique_ptr<TiffPieces> open(int fd);
    ~TiffPieces();
    TiffPieces(const TiffPieces&) = delete;
    TiffPieces& operator=(const TiffPieces&) = delete;
    QSize size() const { return m_levels.front().size; }
    // Its ICC profile; empty when it has none.
    const QByteArray& profile() const { return m_profile; }

    // The part of the picture reduced by factor (a power of two) in rect (in its pixels) into
    // out (RGB32, rect's size), transparent pixels over fill; progress told of the rows done.
    // False when the data break (the rows that came are kept).
    bool read(const QRect& rect, int factor, QRgb fill, QImage& out,
              const std::function<void(int)>& progress);
    // The same, made and returned; a part of a picture in strips comes from whole rows of it,
    // the last kept for the parts beside it. Null where the data break.
    QImage region(const QRect& rect, int factor, QRgb fill);

    // The most memory one piece (a tile, a strip) may take decoded.
    static constexpr qint64 MostPieceBytes = qint64(64) << 20;

    // A page of the picture: the first, or one of it halved scale times over.
    struct Level {
        int directory = 0;
        QSize size, piece; // piece: a tile, or a strip of whole rows
        bool tiled = false;
        int scale = 1;
    };

private:
    struct Handle;
    TiffPieces() = default;
    void findLevels();
    bool readLevel(const Level& level, const QRect& rect, int factor, QRgb fill, QImage& out,
                   const std::function<void(int)>& progress);
    const Level& levelFor(int factor) const;
    std::unique_ptr<Handle> m_handle;
    std::vector<Level> m_levels;
    QByteArray m_profile;
    KeptRows m_rows; // of a page in strips
};

} // namespace tovik::tiffscan
