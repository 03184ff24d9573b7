// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "imaging/colour/screencolours.h"

#include <QByteArray>
#include <QImage>

namespace tovik {

// Decodes a colour JPEG with libjpeg-turbo into image (RGB32 at the JPEG's size, allocated by the
// caller), a band of rows at a time, each band handed to convert on a worker while the next one
// decodes: a photo with a colour profile costs hardly more than one without (a null convert:
// none). False when the file is broken or not of that size; image is then partly written.
bool decodeJpegInBands(const QByteArray& file, QImage& image, const BandConversion& convert);

} // namespace tovik
