// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "core/orientations.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace tovik {

// A picture's exact pixels turned as asked.
QImage turnedImage(const QImage& image, Turn turn);

// The picture encoded again in format ("png", "tiff", "bmp", "webp") without loss: WebP
// lossless, a palette kept where the pixels still fit one (palette: the file had one). Empty
// when the writer fails.
QByteArray losslessEncoded(const QImage& image, const QByteArray& format, bool palette);

// The PNG written as encoded, with the original's chunks that say nothing of the pixels' layout
// (text, colour profile and colour space, EXIF, time, physical size with its sides swapped when
// the turn sends the picture sideways) in place of the writer's own.
QByteArray withPngChunksOf(const QByteArray& encoded, const QByteArray& original, bool sideways);

} // namespace tovik
