// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "platform/safefile.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <memory>

namespace tovik {

enum class PictureError {
    None,
    Missing,     // no such file, or a folder
    NotAPicture, // no reader knows it, or its data are broken
    TooLarge,    // decoding it would take more memory than the viewer allows
    NoRoom,      // decoding it would take more memory than the room it was given (ahead)
};

struct PictureLoad {
    PictureError error = PictureError::None;
    QImage image;          // null for an empty path, or on error
    QSize claimed;         // the size the file claims, when it says one
    bool animated = false; // its first frame of several (an animated GIF or WebP)
    bool outside = false;  // a drawing (WMF, EMF, SVG) left to the metafile helper
    int delayMs = 0;       // of an animation's frame (the first, when animated): how long it shows
};

// The memory one decoded picture may take: enough for a 100-megapixel photo at 4 bytes a pixel.
inline constexpr int PictureAllocationLimitMB = 1024;
inline constexpr qint64 PictureBudgetBytes = qint64(PictureAllocationLimitMB) << 20;
// The longest picture file read: a picture compresses, so its file is far smaller than the
// picture it decodes to. Whatever a file claims, no more than this is read.
inline constexpr qint64 MaxPictureFileBytes = qint64(512) << 20;

// Pictures decoded on worker threads are let go on the user-interface thread. glibc gives each
// thread an arena of its own, and what a worker's arena once held it keeps, so a long slide show
// would grow the process with every lap. All threads share one arena instead: the workers
// allocate seldom and in large pieces, so they hardly ever wait for it. Called once at start.
void shareOneMemoryArena();

// A write to a helper that has died, or to a pipe nobody reads, fails with an error like any
// other instead of ending the program. Called once at start.
void ignoreBrokenPipes();

// A picture file opened for reading without waiting (a FIFO or a device that took a picture's
// name would otherwise block the open until a writer came), closed when this goes. Only a regular
// file is a picture file: any other has no fd.
class OpenPicture {
public:
    explicit OpenPicture(const QString& path);
    ~OpenPicture();
    OpenPicture(const OpenPicture&) = delete;
    OpenPicture& operator=(const OpenPicture&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd = -1;
};

// A picture over memory mapped with mmap (bytes long), unmapped when its last copy goes. Over
// read-only memory (writable false), a picture that is changed is copied first.
QImage mappedPicture(void* at, size_t bytes, QSize size, qsizetype bytesPerLine,
                     QImage::Format format, bool writable);

enum class DecodeKind : quint32 { Load = 1, Size = 2, Scaled = 3, Thumbnail = 5 };

// A sheet's thumbnails: each picture's sides times percent, in whole screen pixels of tpp twips,
// one at least. The sums are the sheet layout's own, so that each thumbnail fits its place.
struct ThumbnailScale {
    float percent = 1;
    double tppX = 15, tppY = 15;
    QSize of(QSize picture) const;
};

// Decodes the open file fd in this process, as every decode below is made in the end: Load
// within room, Size (upright, in claimed), Scaled to scaled, or Thumbnail (the size and the
// thumbnail at scale). A drawing is made by the metafile helper, or only reported as outside when
// drawOutside is false (where no process may be started).
PictureLoad decodeHere(int fd, DecodeKind kind, qint64 room, const QSize& scaled,
                       bool drawOutside = true, const ThumbnailScale& scale = {});

// Loads a picture file the way every part of the program does: BMP, JPEG, GIF (first frame),
// ICO and CUR (the largest image), WMF, EMF and SVG (drawn in the helper process), and what else
// Qt's readers know, upright as the camera meant it. An empty path loads no picture and is no
// error; no file, however it lies, ends the program.
// room is what the decode may take, at most the budget: a picture that fits the budget but not
// the room gives NoRoom.
PictureLoad loadPicture(const QString& path, qint64 room = PictureBudgetBytes);

class PictureSource;

// The frames of an animated picture after its first, decoded one at a time as they are shown
// (each within the budget its first frame was checked against), from the start again after the
// last. Null frames once the file no longer gives one. From a path they are decoded where the
// picture was (the decoding helper, as a rule); from a descriptor (duplicated, the caller's
// stays its own), here.
class PictureFrames {
public:
    // firstDelayMs: how long the first frame is shown, as its load said.
    PictureFrames(const QString& path, int firstDelayMs);
    explicit PictureFrames(int fd);
    ~PictureFrames();
    PictureFrames(const PictureFrames&) = delete;
    PictureFrames& operator=(const PictureFrames&) = delete;

    QImage next();
    // Passes over frames, as many as next() would have given (a whole round at most).
    void skip(quint32 frames);
    // How long the frame just given is shown, in milliseconds.
    int delayMs() const;

private:
    void start(int fd);
    bool rewind();
    QString m_path;        // asked of the helper when m_fd is -1
    int m_fd = -1;         // read here
    quint32 m_asked = 0;   // frames asked of the helper
    int m_helperDelay = 0; // what it said of the last one
    std::unique_ptr<PictureSource> m_source;
};

// The size a picture shows at, read from its header alone where the format allows (a metafile
// is drawn to know it). Same rules as loadPicture; an invalid size when it cannot be read.
QSize pictureSize(const QString& path);

// The picture decoded straight at size (JPEG scales while decoding), upright. Null on failure.
QImage loadPictureScaled(const QString& path, const QSize& size);

// A sheet's entry from one read of its file: the size the picture shows at (claimed; invalid when
// it cannot be read as a picture) and its thumbnail at scale (image; null when its data are
// broken, with error saying so).
PictureLoad loadThumbnail(const QString& path, const ThumbnailScale& scale);

// How many picture files have been opened for decoding so far, in this process.
int picturesOpened();

} // namespace tovik

namespace tovik {

// The picture as RGB32, its transparent parts laid on background: what a saved bitmap holds.
QImage opaqueRgb32(const QImage& image, QRgb background);

// Writes an uncompressed 32-bit BI_RGB bitmap with a 40-byte header, rows bottom-up: what every
// reader and the JPEG library take. Transparent parts are laid on background first. An existing
// file of that name is replaced only by the complete bitmap (see SafeFile); on failure, error
// gives the system's reason.
bool saveBitmap(const QImage& image, QRgb background, const QString& path, SafeFile::Kind kind,
                QString* error);

} // namespace tovik
