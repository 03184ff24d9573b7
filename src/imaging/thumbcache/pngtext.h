// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QByteArray>
#include <QHash>

namespace tovik {

// The text chunks of a PNG file's bytes (tEXt, zTXt, and iTXt), keyword to value (Latin-1 for
// tEXt and zTXt, UTF-8 for iTXt), the first of each keyword kept. Walked chunk by chunk within the
// bytes, a compressed value inflated to no more than 4 KiB; a file that is no PNG gives none.
// The shared thumbnail cache keeps what a thumbnail stands for in them.
QHash<QByteArray, QByteArray> pngText(const QByteArray& png);

} // namespace tovik
