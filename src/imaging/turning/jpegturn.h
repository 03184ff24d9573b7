// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "core/orientations.h"

#include <QByteArray>
#include <QString>

namespace tovik {

// A JPEG file turned as asked, losing nothing: its DCT blocks transformed (libjpeg-turbo's
// lossless transform, every marker copied, progressive kept progressive) and its EXIF
// orientation then 1; where the picture's size is no whole number of blocks in the direction the
// turn needs, only its EXIF orientation set. Empty, with error, when it cannot be done.
QByteArray turnedJpeg(const QByteArray& file, Turn turn, QString* error);

} // namespace tovik
