// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QImage>
#include <QImageReader>

namespace tovik {

// A picture this large or larger is decoded into memory of its own (see below): some fifty
// huge-page faults instead of thousands of small ones.
inline constexpr qint64 LargePictureBytes = qint64(8) << 20;

// Shared memory (a memfd) of bytes whose size is sealed, so that whoever it is sent to can map
// it without its shrinking under them; -1 when none can be had.
int sealedMemory(qint64 bytes);
// Whether memory's size is sealed: no other memory is mapped from a helper.
bool sizeSealed(int memory);

// From now on large canvases are made in sealed shared memory (in the decoding helper, whose
// answer then sends a canvas's memory as it is rather than a copy of its pixels).
void useSharedCanvases();
// In the helper: the shared memory of a picture the viewer has let go, given back so that the
// next canvas of its size is decoded into it, its pages already there rather than faulted in and
// cleared anew (80 ms for a 24-megapixel picture). Takes memory, which is kept for the next
// request only: forgetGivenCanvases closes what that request did not take.
void keepGivenCanvas(int memory);
void forgetGivenCanvases();
// The memory under image's pixels when they are those of a shared canvas, else -1; it stays
// open as long as the canvas.
int sharedCanvasMemory(const QImage& image);
// What sending a picture of this format and size out of shared canvases costs besides decoding
// it: nothing where its reader decodes into a shared canvas (or there are none), else a copy.
qint64 copyOutBytes(const QByteArray& format, QSize picture);

// Memory for a large picture, in huge pages where the system offers them: a 24-megapixel photo
// then costs some fifty page faults instead of twenty-five thousand, which on a virtual machine
// is most of its decoding time. Null for small pictures, or when the reader cannot say.
QImage pictureCanvas(QImageReader& reader);

// A picture of size in format to decode into: a large one in fresh huge pages, or in the helper
// in shared memory that its answer sends as it is; a plain image otherwise.
QImage canvasOf(QSize size, QImage::Format format);

// An RGB32 picture of size over the memory of a large picture of that size let go before (or
// fresh huge pages), given back when let go. Only a picture written whole (every row, or the
// decode fails) may take it: what it held never shows.
QImage reusableCanvas(QSize size);

} // namespace tovik
