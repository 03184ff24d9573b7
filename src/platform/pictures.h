#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace tovik {

enum class PictureError {
    None,
    Missing,     // no such file, or a folder
    NotAPicture, // no reader knows it, or its data are broken
    TooLarge,    // decoding it would take more memory than the viewer allows
};

struct PictureLoad {
    PictureError error = PictureError::None;
    QImage image;  // null for an empty path, or on error
    QSize claimed; // the size the file claims, when it says one
};

// The memory one decoded picture may take: enough for a 100-megapixel photo at 4 bytes a pixel.
inline constexpr int PictureAllocationLimitMB = 1024;

// Loads a picture file the way every part of the program does: BMP, JPEG, GIF (first frame),
// ICO and CUR (the largest image), WMF and EMF, upright as the camera meant it.
// An empty path loads no picture and is no error.
PictureLoad loadPicture(const QString& path);

} // namespace tovik
