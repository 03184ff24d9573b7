// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "core/bytes.h"

#include <QByteArray>

namespace tovik {

// What a picture file's EXIF says of the camera and the shot, read with Exiv2 from the file's
// bytes (never from a path) and put into plain "key\tvalue" lines: Make, Model, Lens, Exposure
// ("1/250 s"), Aperture ("f/2.8"), ISO, Focal ("50 mm"), Focal35, Flash, Program, Taken
// ("2024-05-17 14:03:00"), Latitude and Longitude (degrees, north and east positive). Fields
// that are not there or not sound are left out; a file Exiv2 cannot read gives none. Exiv2 has a
// long record of faults on hostile files: this runs in the decoding helper.
struct ExifFacts {
    QByteArray lines;
    QByteArray icc; // the colour profile Exiv2 found, empty when none
};
ExifFacts exifProperties(const ByteView& file);

// Exiv2 is linked only where pictures are decoded (see plugins/libraryformats.h), which set the
// reader as they start; in the viewer, which asks the helper, there is none and a file's camera
// fields are left out.
using ExifReader = ExifFacts (*)(const ByteView& file);
void registerExifReader(ExifReader reader);

} // namespace tovik
