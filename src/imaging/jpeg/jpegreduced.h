// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QByteArray>
#include <QImage>

namespace tovik {

// A colour JPEG decoded by libjpeg-turbo reduced while decoding: at the smallest of its eighth,
// quarter, half or whole that still covers atLeast (as stored, before any turn), RGB32, its
// colours as stored, pixel for pixel libjpeg-turbo's own decode at that scale. A progressive
// file's scans that the reduced picture never shows (at an eighth, those of the finer details)
// are not decoded at all. Null when the file is no colour JPEG or breaks.
QImage decodeJpegReduced(const QByteArray& file, QSize atLeast);

} // namespace tovik
