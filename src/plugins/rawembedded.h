// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QByteArray>
#include <QList>
#include <QSize>

#include <optional>
#include <utility>

namespace tovik {

// Whether a file's opening bytes are a camera RAW's, or any TIFF's (which may be one).
bool mayBeCameraRaw(const QByteArray& head);

// Whether a file is laid out as a camera's RAW: a DNG (DNGVersion in its first directory), a CR2,
// one of the RAWs with a magic of their own (CR3, RAF, ORF, RW2), or a TIFF with the sensor's
// mosaic in one of its directories. Read without any RAW library, where none may run.
bool laidOutAsCameraRaw(const QByteArray& file);

// A picture a camera keeps in its RAW beside the mosaic, stored as the sensor is (not turned): a
// JPEG stream, or rows of 8-bit RGB in strips. Cameras keep several: a thumbnail of some 160
// pixels, a preview of some 1000, one the size of the sensor.
struct EmbeddedPicture {
    bool jpeg = false;
    QSize size;                              // RGB: as its directory says
    QList<std::pair<qint64, qint64>> pieces; // offset and length: the stream, or the strips
};

// The pictures in a TIFF-based RAW's directories (IFD0's chain and their sub-IFDs), each lying
// whole within the file. A JPEG's size is left to its own header. At most a few dozen
// directories are read, each once, whatever the file claims.
QList<EmbeddedPicture> embeddedPictures(const QByteArray& file);

// Of pictures (with their sizes known), the one with the fewest pixels that covers wanted, in the
// proportions of the whole picture (a thumbnail with bars above and below is not) and not past
// its size; none when none is.
std::optional<EmbeddedPicture> smallestCovering(const QList<EmbeddedPicture>& pictures,
                                                QSize wanted, QSize whole);

} // namespace tovik
