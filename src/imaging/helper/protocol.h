// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QImage>
#include <QtGlobal>

#include <cstddef>

namespace tovik::decoder {

// The viewer and its decoding helper talk over a SOCK_SEQPACKET socket: one message a request,
// one an answer, each with at most one descriptor beside it (the picture file asked about, the
// shared memory the pixels come back in).

inline constexpr quint32 Magic = 0x4b445654; // "TVDK"
inline constexpr int HelperSocket = 3;       // where the helper finds its end

enum class Kind : quint32 {
    Load = 1,
    Size = 2,
    Scaled = 3,
    Frame = 4,          // the frame after the last one given of this file (width: its number)
    Thumbnail = 5,      // the size, and the thumbnail at percent
    Exact = 6,          // as Load, in the file's own colours
    Properties = 7,     // what the file says of itself, as text
    Preview = 8,        // where a camera RAW's JPEG preview lies
    ScreenProfile = 10, // the memory beside it holds the screen's ICC profile
    Canvas = 11,        // the memory beside it is a picture's the viewer let go: decode into it
    // A picture too large to decode whole (see large/largepicture.cpp), in a helper of its own.
    Keep = 12,     // the memory beside it holds what the helper keeps of the next large picture
    Overview = 13, // the file's overview: a first answer with its memory, one a band, the last
    Region = 14,   // a part of the last file overviewed (x, y, width, height at denominator)
    // What a decoder that has been taken over might try; the sandbox ends the helper first.
    TryOpen = 100,
    TrySocket = 101,
    TryExec = 102,
};

struct Request {
    quint32 magic = Magic;
    Kind kind = Kind::Load;
    qint64 room = 0;
    qint32 width = 0, height = 0; // Scaled
    float percent = 0;            // Thumbnail, with the twips a pixel
    double tppX = 0, tppY = 0;
    qint32 box = 0;                       // Thumbnail: the square it fits instead, when above 0
    qint32 x = 0, y = 0, denominator = 1; // Region
    quint32 fill = 0;                     // Overview: what its rows show until decoded
};

// Text: the memory beside the answer holds width bytes of text, not pixels. QuickScaled: a
// smaller picture is decoded for less than the whole (see PictureLoad).
// Progress: an overview's rows done so far (rows), more answers to come.
enum AnswerFlags : quint32 { Animated = 1, Outside = 2, Text = 4, QuickScaled = 8, Progress = 16 };
// The longest text an answer holds.
inline constexpr qint32 MostTextBytes = 64 * 1024;

struct Answer {
    quint32 magic = Magic;
    qint32 error = 0; // a PictureError
    qint32 claimedWidth = -1, claimedHeight = -1;
    qint32 width = 0, height = 0, bytesPerLine = 0, format = 0; // of the pixels, when sent
    quint32 flags = 0;
    qint32 delayMs = 0;                           // Frame: how long it is shown
    qint64 previewOffset = -1, previewLength = 0; // Preview
    qint32 previewOrientation = 1;
    qint32 rows = 0; // Overview: its rows done; at its end, the MCU rows its index reaches
};

// The pixel forms a helper sends as they are (any other it makes 32-bit first), and the only
// ones the viewer takes.
bool sentAsItIs(QImage::Format format);

// Sends one message with fd beside it (none when -1).
bool sendMessage(int socket, const void* data, std::size_t size, int fd);
// Receives one message of exactly size bytes; *fd is the descriptor beside it, -1 when none.
// False at the end of the connection, on a message of another size, or with more than one
// descriptor (any extra ones are closed).
bool receiveMessage(int socket, void* data, std::size_t size, int* fd);

} // namespace tovik::decoder
