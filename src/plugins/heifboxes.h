// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QByteArray>
#include <QSize>

namespace tovik {

// The most items, item references and item properties a HEIF file may have. A panorama of
// 16384 x 16384 in tiles of 256 x 256 has 4096 tiles and a few items beside them; libheif's time
// grows with the square of the count, and a file of 20 000 items keeps it busy for many seconds.
inline constexpr quint32 MostHeifItems = 8192;

// Whether the file's meta box holds no more items (iinf), references (iref), properties (ipco)
// or property associations (ipma) than MostHeifItems each, read before libheif sees the file.
bool heifWithinBounds(const QByteArray& file);

// The size a primary item that is a grid assembles its tiles into, as its own description says
// (libheif decodes to that size, whatever the item's ispe claims); invalid when the primary item
// is no grid or its description cannot be found.
QSize heifGridSize(const QByteArray& file);

} // namespace tovik
