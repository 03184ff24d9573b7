// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QByteArray>

namespace tovik {

class PictureSource;

// The "key\tvalue" lines of what a picture file says of itself: Format, Width and Height (as
// shown, upright), Depth (bits a channel), Profile (its colour profile's description), and the
// camera's fields (see exifProperties).
QByteArray propertiesOf(PictureSource& source);

// An ICC profile's own description, in English where it has several; empty when it has none
// or is no profile.
QByteArray profileDescription(const QByteArray& icc);

} // namespace tovik
