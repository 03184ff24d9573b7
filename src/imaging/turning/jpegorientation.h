// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QByteArray>

namespace tovik {

// The orientation a JPEG file says (1 to 8), 1 when it says none or says it unsoundly.
int jpegOrientationValue(const QByteArray& file);

// The JPEG file with its EXIF orientation set to value, every other byte of its pixels and
// metadata kept: the tag's value changed in place; where IFD0 has no Orientation tag, IFD0 copied
// with one added to the end of the block (so that no offset in it moves); where the file has no
// EXIF block, a new one after its JFIF header. Empty when its EXIF block cannot be edited safely
// (an Orientation tag of another type, an IFD0 outside the block, a block that would outgrow a
// segment).
QByteArray withJpegOrientation(const QByteArray& file, int value);

// A new APP1 segment holding an EXIF block with IFD0 and its Orientation (value) alone.
QByteArray newExifSegment(int value);

} // namespace tovik
