// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QImage>
#include <QSize>

#include <memory>

namespace tovik {

// A first look at a large photo while its full decode runs: a sequential colour JPEG decoded by
// libjpeg-turbo at a DCT scale, upright, in the screen's colours, and only as far down as the
// viewport needs. Only what that takes is read of the file: its header, then its rows from the
// top. Any other file (progressive, gray, CMYK, beyond the budget, broken) has no preview.
class JpegPreview {
public:
    // fd stays the caller's; it is read from its start.
    explicit JpegPreview(int fd);
    ~JpegPreview();
    JpegPreview(const JpegPreview&) = delete;
    JpegPreview& operator=(const JpegPreview&) = delete;

    // The upright picture's own size; invalid when there is no preview to be had.
    QSize size() const { return m_size; }

    // The picture at 1/denominator (2, 4 or 8), its rows from the top decoded down to rows at
    // least (all of them when it is stored turned or flipped), the rest fill. Null on failure.
    // Once only.
    QImage decode(int denominator, int rows, QRgb fill);

private:
    struct Decoder;
    std::unique_ptr<Decoder> m_decoder;
    QSize m_size;
};

} // namespace tovik
