// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QByteArray>
#include <QImage>

namespace tovik {

// The longest drawing the helper is given: metafiles and SVG documents are a few megabytes at
// most, and a longer file is refused as no picture.
inline constexpr qint64 MaxMetafileBytes = 64 * 1024 * 1024;

// What a metafile may cost the helper that draws it: wall time as the viewer waits for it, and
// memory as the helper may take (a drawing is at most 2560 pixels square: 26 MB, a few copies).
inline constexpr int MetafileTimeLimitMs = 2000;
inline constexpr qint64 MetafileMemoryLimitBytes = qint64(1) << 30;

// Draws a WMF (libwmf), an EMF (libemf2svg, then Qt SVG) or an SVG (Qt SVG) in this process.
// Null when the bytes are none of these, break the budget of metafilerender.h, or fail to draw.
// Only the helper process and the fuzz targets call this: the libraries can crash or loop on
// hostile input.
QImage renderMetafile(const QByteArray& data);

// Draws the metafile or SVG in a helper process (tovik-metafile) and takes back its pixels. A
// crash, a limit, a timeout, an answer larger than any drawing or a missing helper gives a null
// image, like any file that is no picture.
QImage renderMetafileOutside(const QByteArray& data);

// The helper's side: reads a metafile on standard input and writes the drawing on standard
// output; the exit code says whether it could. Used by the helper's main().
int runMetafileHelper(int argc, char* argv[]);

} // namespace tovik
