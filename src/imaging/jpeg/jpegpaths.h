// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QImage>
#include <QSize>

namespace tovik {

class PictureSource;

// The paths a colour JPEG takes through libjpeg-turbo rather than Qt's reader, in the screen's
// colours and upright. Each is null when the file takes the reader's path: not a JPEG, gray,
// CMYK, or a profile only lcms2 reads.

// Reduced by libjpeg-turbo as it decodes, to at least stored (the size as stored, before it is
// turned upright).
QImage reducedJpeg(PictureSource& source, const QSize& stored);

// Decoded straight into the picture's own form, and one with a profile a band at a time, each
// band converted on another core while the next decodes.
QImage decodedInBands(PictureSource& source);

} // namespace tovik
