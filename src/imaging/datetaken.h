// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QString>

namespace tovik {

// When a photo was taken, as its JPEG's EXIF says (DateTimeOriginal, else IFD0's DateTime), in
// milliseconds since the epoch read as local time; -1 when the file does not say. Sorting a
// folder asks this of every file, so only the first 128 KiB are read, and walked by a
// bounds-checked reader of our own that follows no offset twice and reads nothing else.
qint64 dateTakenMs(const QString& path);

} // namespace tovik
