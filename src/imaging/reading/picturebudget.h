// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QByteArray>
#include <QList>
#include <QSize>

namespace tovik {

// The most progressive scans a JPEG may have. Encoders write 10 or fewer (libjpeg's progressive
// script), scan optimisers about 20; every scan is one more pass over the whole picture, so a
// file with thousands of them freezes the viewer for a minute. 100 leaves room for any real
// encoder; for large pictures the passes are bounded as well, to 30 over 67 megapixels (8192 x
// 8192), which this program decodes in under 2 s on a small machine.
inline constexpr int MaxJpegScans = 100;
inline constexpr qint64 MaxJpegScanPixels = qint64(2) << 30;

// What the headers of a picture file say its decoding will cost, read the way the decoders read
// them: the embedded image of every icon entry (PNG or bitmap), every frame of a GIF, a PNG's
// header and depth, a JPEG's frames, components and scans, a TIFF's first directory, a WebP's
// canvas, and what libheif and libjxl read of a HEIF, AVIF or JPEG XL file. format is the
// reader's name for the file's format ("jpeg", "gif", "png", "ico", "tiff", "webp", "heif",
// "avif", "jxl"); other formats report nothing.
struct DecodeCost {
    QSize largest;           // the largest picture the decoder will allocate, invalid when unknown
    int bytesPerPixel = 4;   // at the depth it decodes to: 8 for 16 bits a channel
    int copies = 1;          // how many pictures of that size it holds at once
    qint64 workingBytes = 0; // its buffers beside them: a JPEG's coefficients, a TIFF strip
    int jpegScans = 0;       // start-of-scan markers in a JPEG
    bool broken = false;     // the headers contradict themselves: no picture

    // Everything together, in bytes; the largest qint64 when it does not fit one.
    qint64 bytes() const;
};

DecodeCost decodeCost(const QByteArray& bytes, const QByteArray& format);

// The size of each image of an icon or cursor, as its own header (PNG or bitmap) says, in the
// order of its directory; invalid for an entry that is neither. The directory's sizes are no
// guide: it says 256 x 256 for any image of that size or more.
QList<QSize> iconEntrySizes(const QByteArray& icon);

// Whether a JPEG's scans stay within MaxJpegScans and MaxJpegScanPixels.
bool scansWithinBudget(const DecodeCost& cost);

} // namespace tovik
