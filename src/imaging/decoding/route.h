// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "imaging/pictureload.h"

#include <QImage>

namespace tovik {

// What a decode is asked for.
struct DecodeRequest {
    DecodeKind kind = DecodeKind::Load;
    qint64 room = PictureBudgetBytes; // Load
    QSize scaled = {};                // Scaled
    ThumbnailScale scale = {};        // Thumbnail
};

// Where pictures are decoded: in this process, or through the sandboxed decoding helper. The
// program chooses once at start (see startup.h); the decoding code only asks the route.
class DecodeRoute {
public:
    virtual ~DecodeRoute() = default;
    // Decodes the open regular file fd as asked.
    virtual PictureLoad decode(int fd, const DecodeRequest& request) = 0;
    // Whether an animation's frames are decoded elsewhere: frame() then gives them.
    virtual bool framesElsewhere(int fd) = 0;
    // The frame after the last one given of the animated picture fd (number: the how-manieth
    // that is), and how long it is shown; null when there is none.
    virtual QImage frame(int fd, quint32 number, int* delayMs) = 0;
};

// The route every picture takes: in this process until another is set.
DecodeRoute& decodeRoute();
// Set once at start, before any picture is decoded; route lives as long as the process.
void setDecodeRoute(DecodeRoute& route);

} // namespace tovik
