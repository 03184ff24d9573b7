// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QByteArray>
#include <QImage>
#include <QImageIOHandler>

#include <cstddef>

namespace tovik {

// How a photo is turned upright, read one way for every path that decodes it (its first look,
// its full decode, its reduced decode, the sheet): from the Orientation tag of IFD0 of the first
// EXIF block, as libjpeg-turbo based viewers read it. Only a SHORT of count 1 from 1 to 8 counts;
// any other value, a tag elsewhere (IFD1 describes the thumbnail) or a later EXIF block leaves
// the picture as stored.

// Where IFD0's Orientation tag lies in an APP1 payload, and what it says.
struct ExifOrientationField {
    bool tiff = false;    // the payload is an EXIF block with a TIFF header
    bool little = false;  // its numbers are little-endian
    bool present = false; // IFD0 has an Orientation tag, sound or not
    qint64 at = -1;       // where a sound tag's SHORT value lies in the payload
    int value = 0;        // 1 to 8 when sound, else 0
};
ExifOrientationField exifOrientationField(const uchar* app1, size_t length);

// From an APP1 segment's payload (after its length), "Exif\0\0" and a TIFF header first.
QImageIOHandler::Transformations exifOrientation(const uchar* app1, size_t length);

// From a whole JPEG file: its first APP1 EXIF segment before the first scan.
QImageIOHandler::Transformations jpegOrientation(const QByteArray& file);

// Where a JPEG file's first APP1 EXIF segment before the first scan starts (its 0xff), with
// its payload's length; -1 when there is none.
qint64 jpegExifSegment(const QByteArray& file, qint64* payloadLength);

// A picture decoded as stored, turned upright as turn says.
QImage upright(QImage image, QImageIOHandler::Transformations turn);

} // namespace tovik
