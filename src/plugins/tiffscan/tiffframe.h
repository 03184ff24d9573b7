// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QSize>

#include <optional>

namespace tovik::tiffscan {

// What a TIFF's first directory says of its picture: its size, how it is stored turned (1 when
// it is not), and the piece it is stored in (a tile, or a strip of whole rows).
struct TiffFrame {
    QSize size;
    int orientation = 1;
    QSize piece;
    bool tiled = false;
};

// The first directory of the TIFF (classic or big) fd, from a few small reads; none for any
// other file, or one whose directory does not hold.
std::optional<TiffFrame> tiffFrame(int fd);

} // namespace tovik::tiffscan
