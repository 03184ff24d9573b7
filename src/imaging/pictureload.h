// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QImage>
#include <QSize>

namespace tovik {

enum class PictureError {
    None,
    Missing,     // no such file, or a folder
    NotAPicture, // no reader knows it, or its data are broken
    TooLarge,    // decoding it would take more memory than the viewer allows
    NoRoom,      // decoding it would take more memory than the room it was given (ahead)
};

// Where a camera RAW's JPEG preview lies in its file, when it stands for the whole picture; and
// how it is turned upright (EXIF's orientation values). Offset -1: there is none.
struct EmbeddedPreview {
    qint64 offset = -1, length = 0;
    int orientation = 1;
};

// What a decode answers: the picture, or why there is none.
struct PictureLoad {
    PictureError error = PictureError::None;
    QImage image;          // null for an empty path, or on error
    QSize claimed;         // the size the file claims, when it says one
    bool animated = false; // its first frame of several (an animated GIF or WebP)
    bool outside = false;  // a drawing (WMF, EMF, SVG) left to the metafile helper
    int delayMs = 0;       // of an animation's frame (the first, when animated): how long it shows
    QByteArray properties = {}; // Properties: "key\tvalue" lines
    // Size: a smaller picture is decoded for far less than the whole (a camera RAW's preview,
    // decoded at a DCT scale, or its mosaic developed at half size).
    bool quickScaled = false;
    EmbeddedPreview embedded = {}; // Preview
};

// The memory one decoded picture may take: enough for a 100-megapixel photo at 4 bytes a pixel.
inline constexpr int PictureAllocationLimitMB = 1024;
inline constexpr qint64 PictureBudgetBytes = qint64(PictureAllocationLimitMB) << 20;
// The longest picture file read: a picture compresses, so its file is far smaller than the
// picture it decodes to. Whatever a file claims, no more than this is read.
inline constexpr qint64 MaxPictureFileBytes = qint64(512) << 20;

// Exact: the picture upright in its file's own colours and depth, for writing it again.
// Properties: what the file says of itself (see pictures.h), no pixels. Preview: where a camera
// RAW's preview lies, no pixels.
enum class DecodeKind : quint32 {
    Load = 1,
    Size = 2,
    Scaled = 3,
    Thumbnail = 5,
    Exact = 6,
    Properties = 7,
    Preview = 8
};

// A sheet's thumbnails: each picture's sides times percent, in whole screen pixels of tpp twips,
// one at least. The sums are the sheet layout's own, so that each thumbnail fits its place.
// With a box, the picture fits a square of that many pixels a side instead (never enlarged), as
// the desktop's shared thumbnails do.
struct ThumbnailScale {
    float percent = 1;
    double tppX = 15, tppY = 15;
    int box = 0;
    QSize of(QSize picture) const;
};

} // namespace tovik
