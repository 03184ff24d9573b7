// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QImage>

namespace tovik::decoder {

// The viewer's side of the canvases given back to helpers (see keepGivenCanvas): a helper's
// picture is mapped here once; when the viewer lets it go, its memory stays mapped and goes to a
// helper with the next picture asked of it, and a picture decoded into it comes back where it
// already is mapped. One is kept, of 128 MiB at most.

// The picture over a helper's memory (bytes long, its size and form already checked): over the
// mapping kept here when it is one given back, else mapped anew. Null when it cannot be mapped.
QImage pictureInMemory(int memory, size_t bytes, QSize size, qsizetype bytesPerLine,
                       QImage::Format format);

// Gives the helper at socket the memory of a picture let go, when there is one, ahead of the
// request for a picture it may decode into it. False when the helper cannot be written to.
bool giveCanvas(int socket);

} // namespace tovik::decoder
