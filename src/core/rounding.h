// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QtGlobal>

#include <optional>

namespace tovik {

// Every float-to-integer conversion of the program goes through here: nearest, halves to even.
double roundHalfEven(double value);

// Checked conversions into the 32-bit (Long) and 16-bit (Integer) ranges, rounding first.
std::optional<qint32> toLong(double value);
std::optional<qint16> toInteger(double value);

// Rounds and clamps into the 32-bit range, for geometry that must never overflow.
qint32 roundToLong(double value);

inline constexpr double TwipsPerInch = 1440.0;

// 15 at 96 logical DPI.
double twipsPerPixel(double logicalDpi);
int twipsToPixels(double twips, double tpp);

} // namespace tovik
