// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QByteArray>
#include <QImage>

namespace tovik {

// Real profiles, LUT-based ones included, stay well under a megabyte; a file that claims a larger
// one is lying, and its profile is ignored.
inline constexpr qsizetype MaxProfileBytes = qsizetype(4) << 20;

// Tags a decoded picture with the ICC profile its file embeds: as its QColorSpace where Qt reads
// the profile, else kept aside for the colour engine that reads the rest (gray, CMYK and
// LUT-based profiles). A profile nobody reads is ignored later, and the picture taken as sRGB.
void setProfile(QImage& image, const QByteArray& icc);

// The profile kept aside by setProfile, empty when there is none; taking it removes it.
QByteArray takeUnreadProfile(QImage& image);

} // namespace tovik
