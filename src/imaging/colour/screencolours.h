// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QByteArray>
#include <QImage>

#include <functional>

namespace tovik {

// The colours of the screen pictures are shown on: those of the profile a colour daemon puts on
// the X11 root window (_ICC_PROFILE), else sRGB. Set once at start, before any picture is
// decoded; a profile no engine reads (or an empty one) leaves sRGB.
void setScreenProfile(const QByteArray& icc);
// The profile set, empty for sRGB: what a decoding helper is given to convert into.
QByteArray screenProfile();
// The display's own profile, empty where there is none (or no X11).
QByteArray displayProfile();

// Turns a decoded picture with a colour profile of its own into the screen's colours, once, as
// it is decoded: what is shown, saved and drawn in a sheet is then the same. Qt converts the
// profiles it reads, lcms2 the rest (gray, LUT-based, and every profile when the screen's is one
// Qt cannot read). An untagged picture, or one whose profile cannot be read, is taken as sRGB
// and costs nothing. Large pictures are converted a band of rows on each core.
void toScreenColours(QImage& image);

// Converts count rows of a 32-bit picture (RGB32 or ARGB32) in the screen's colours, in place;
// several bands may be converted at once.
using BandConversion = std::function<void(uchar* rows, int width, int count, qsizetype stride)>;
// The conversion of pictures of this format in the colour space from; null when there is
// nothing to convert (untagged, or in the screen's colours already).
BandConversion screenConversion(const QColorSpace& from, QImage::Format format);

// A CMYK picture held in an RGB32 image's memory (four inks a pixel, inverted as Adobe writes
// them when adobe is set) turned in place into the screen's colours through its ICC profile, a
// band of rows on each core; false, and the image untouched, when the profile is no CMYK one.
bool cmykToScreen(QImage& image, bool adobe, const QByteArray& icc);

} // namespace tovik
