// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "imaging/pictureload.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <memory>

namespace tovik {

class FrameReader;

// Loads a picture file the way every part of the program does: BMP, JPEG, GIF (first frame),
// ICO and CUR (the largest image), WMF, EMF and SVG (drawn in the helper process), and what else
// Qt's readers know, upright as the camera meant it. An empty path loads no picture and is no
// error; no file, however it lies, ends the program.
// room is what the decode may take, at most the budget: a picture that fits the budget but not
// the room gives NoRoom.
PictureLoad loadPicture(const QString& path, qint64 room = PictureBudgetBytes);

// The picture upright in its file's own colours and depth (a profile is not applied), for
// writing it again without loss; same rules as loadPicture otherwise.
PictureLoad loadPictureExact(const QString& path);

// What a picture file says of itself, as "key\tvalue" lines (Format, Width, Height, Depth,
// Profile, and the camera's EXIF fields: see metadata/exifproperties.h), read in the decoding
// helper; empty when it says nothing.
QByteArray readProperties(const QString& path);

// The size a picture shows at, read from its header alone where the format allows (a metafile
// is drawn to know it). Same rules as loadPicture; an invalid size when it cannot be read.
// quickScaled, when given: whether loadPictureScaled makes a smaller one for far less than the
// whole takes (a camera RAW).
QSize pictureSize(const QString& path, bool* quickScaled = nullptr);
// Whether a file may be a camera RAW, from its first bytes alone (a TIFF may be one too).
bool mayBeCameraRaw(const QString& path);

// The picture decoded straight at size (JPEG scales while decoding), upright. Null on failure.
QImage loadPictureScaled(const QString& path, const QSize& size);

// A sheet's entry from one read of its file: the size the picture shows at (claimed; invalid when
// it cannot be read as a picture) and its thumbnail at scale (image; null when its data are
// broken, with error saying so).
PictureLoad loadThumbnail(const QString& path, const ThumbnailScale& scale);

// The frames of an animated picture after its first, decoded one at a time as they are shown
// (each within the budget its first frame was checked against), from the start again after the
// last. Null frames once the file no longer gives one. They are decoded where the picture was
// (the decoding helper, as a rule).
class PictureFrames {
public:
    // firstDelayMs: how long the first frame is shown, as its load said.
    PictureFrames(const QString& path, int firstDelayMs);
    ~PictureFrames();
    PictureFrames(const PictureFrames&) = delete;
    PictureFrames& operator=(const PictureFrames&) = delete;

    QImage next();
    // How long the frame just given is shown, in milliseconds.
    int delayMs() const;

private:
    QString m_path;
    quint32 m_asked = 0;                 // frames asked of the helper
    int m_helperDelay;                   // what it said of the last one
    std::unique_ptr<FrameReader> m_here; // when they are decoded in this process
};

} // namespace tovik
