// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "imaging/jpeg/jpegcolour.h"
#include "imaging/pictureload.h"

#include <QBuffer>
#include <QImageReader>

#include <memory>
#include <optional>

namespace tovik {

// A picture file read whole, with a reader over its bytes and the verdict of every check that
// can be made before decoding: that it is a regular file no longer than a picture file can be,
// that a reader knows it, and that what its headers say the decoder will allocate (and, for a
// JPEG, how many passes it will make) stays within the budget. A file is read no further than
// its stated size, and no file larger than MaxPictureFileBytes is read at all. An SVG is drawn in
// the helper process, where a drawing that never ends or grows without bound is stopped.
class PictureSource {
public:
    // fd stays open, the caller's. Mapped: a large file is mapped rather than read (in the
    // helper, where a file cut short meanwhile ends the helper, not the viewer), so that a reader
    // that needs a few pieces of it (a camera RAW's small preview) touches only those.
    explicit PictureSource(int fd, bool mapped = false);

    QImageReader& reader() { return m_reader; }
    const QByteArray& bytes() const { return m_buffer.data(); }
    // What decoding it takes, as its headers tell.
    qint64 cost = 0;
    bool drawnOutside() const { return m_drawnOutside; }
    // The reader's name for it, kept: the reader no longer knows once it has read to the end.
    QByteArray format;
    // How what the reader gives is turned upright (it turns nothing itself): for a JPEG, as
    // orientation.h reads it; for any other format, as its reader says.
    QImageIOHandler::Transformations turn = QImageIOHandler::TransformationNone;
    // The next picture the reader gives, upright; null at the end or on failure.
    QImage read();
    // What a JPEG's header says of its colours, read once however many paths ask.
    const JpegColour& jpegColours() const;
    PictureError error = PictureError::None;
    QSize claimed;

private:
    void check();
    void refuse(PictureError why, QSize size);

    mutable std::optional<JpegColour> m_colours;
    std::shared_ptr<void> m_mapping; // under the buffer's bytes, when mapped; goes last
    QBuffer m_buffer;                // the whole file
    QImageReader m_reader;
    bool m_drawnOutside = false;
};

// The first size bytes of the file fd, mapped read-only, with mapping holding the mapping; null
// when it cannot be mapped. Only in the helper: a file cut short meanwhile ends the process.
QByteArray mappedBytes(int fd, qint64 size, std::shared_ptr<void>& mapping);

// Whether the picture is turned a quarter to stand it upright.
bool turnsSideways(const PictureSource& source);

} // namespace tovik
