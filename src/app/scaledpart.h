// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

namespace tovik {

// One part of a picture as it looks scaled to size: each output pixel averages the source area it
// covers when shrinking (no moiré on photos) and blends its four nearest source pixels when
// enlarging. Both are laid on the whole picture's sample grid, so a part computed alone equals the
// same part of the whole: a viewport can be drawn without ever scaling the rest.
// source is RGB32 or ARGB32_Premultiplied, and so is the result; part lies within size.
QImage scaledPart(const QImage& source, QSize size, QRect part);

} // namespace tovik
