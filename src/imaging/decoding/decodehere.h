// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "imaging/pictureload.h"

#include <QImage>

namespace tovik {

class PictureSource;

// Decodes the open file fd in this process, as every decode is made in the end: Load within
// room, Size (upright, in claimed), Scaled to scaled, or Thumbnail (the size and the thumbnail at
// scale). A drawing is made by the metafile helper, or only reported as outside when drawOutside
// is false (where no process may be started).
PictureLoad decodeHere(int fd, DecodeKind kind, qint64 room, const QSize& scaled,
                       bool drawOutside = true, const ThumbnailScale& scale = {});

// A decoded picture in the screen's colours, through its own profile or, for a gray or CMYK JPEG
// (whose profile Qt's reader does not read), the file's.
QImage inScreenColours(QImage image, PictureSource& source);

} // namespace tovik
