// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QByteArray>
#include <QImage>
#include <QImageIOHandler>

namespace tovik {

// What a JPEG's header says of its colours: its ICC profile (its APP2 chunks put together, empty
// when there is none or a chunk is missing), its number of components, and whether Adobe's
// marker says its CMYK inks are inverted.
struct JpegColour {
    QByteArray icc;
    int components = 0;
    bool adobe = false;
};

JpegColour jpegColour(const QByteArray& file);

// A CMYK JPEG decoded by libjpeg-turbo at the smallest of its scales that keeps atLeast (whole
// when invalid), into the picture's own memory, and converted there through its profile to the
// screen's colours, upright as turn says; null when it cannot be.
QImage cmykJpeg(const QByteArray& file, const JpegColour& colour,
                QImageIOHandler::Transformations turn, QSize atLeast = {});

} // namespace tovik
