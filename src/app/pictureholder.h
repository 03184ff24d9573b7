// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QImage>

#include <memory>

namespace tovik {

class LargePicture;

// imgThree: the loaded picture at its own size, never shown. Its size is kept in twips, the
// model's unit: its pixel count times the twips per pixel. While a large photo is decoded,
// picture may be a smaller preview of it: the sizes are always the photo's own.
struct PictureHolder {
    QImage picture;
    double width = 0;  // twips
    double height = 0; // twips
    QSize pixels;      // the picture's own
    // A picture too large to decode whole, whose overview picture is: it goes with the holder,
    // and with it the helper that decodes its parts.
    std::shared_ptr<LargePicture> large;

    bool isPreview() const { return picture.size() != pixels; }
    bool isEmpty() const { return picture.isNull(); }
    void clear() { *this = PictureHolder(); }
};

} // namespace tovik
