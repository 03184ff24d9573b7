// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "core/orientations.h"

#include <QString>

namespace tovik {

// Turning and flipping a picture file in place, without loss: a JPEG's DCT blocks are moved as
// they are (or, where its size is no whole number of blocks, only its EXIF orientation changes);
// PNG, lossless WebP, TIFF and BMP are written again in their own format from their exact
// pixels, PNG's other chunks kept. Nothing is ever encoded again with loss: lossy WebP, HEIC,
// AVIF, JPEG XL and GIF are refused. The file is replaced whole or not at all (SafeFile), its
// mode, owner and extended attributes kept.
struct TurnResult {
    enum Outcome { Turned, Refused, Failed } outcome = Failed;
    QString reason; // Refused: why; Failed: the system's or the decoder's reason
};

// Whether files such as this one can be turned at all: false for drawings (WMF, EMF, SVG),
// icons and cursors, and for what is no picture.
bool mayTurn(const QString& path);

TurnResult turnPicture(const QString& path, Turn turn);

} // namespace tovik
