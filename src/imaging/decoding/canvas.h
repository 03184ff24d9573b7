// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QImage>
#include <QImageReader>

namespace tovik {

// A picture over memory mapped with mmap (bytes long), unmapped when its last copy goes. Over
// read-only memory (writable false), a picture that is changed is copied first.
QImage mappedPicture(void* at, size_t bytes, QSize size, qsizetype bytesPerLine,
                     QImage::Format format, bool writable);

// Memory for a large picture, in huge pages where the system offers them: a 24-megapixel photo
// then costs some fifty page faults instead of twenty-five thousand, which on a virtual machine
// is most of its decoding time. Null for small pictures, or when the reader cannot say.
QImage pictureCanvas(const QImageReader& reader);

// An RGB32 picture of size over the memory of a large picture of that size let go before (or
// fresh huge pages), given back when let go. Only a picture written whole (every row, or the
// decode fails) may take it: what it held never shows.
QImage reusableCanvas(QSize size);

} // namespace tovik
