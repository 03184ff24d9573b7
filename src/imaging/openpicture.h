// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "imaging/pictureload.h"

#include <QString>

namespace tovik {

// A picture file opened for reading without waiting (a FIFO or a device that took a picture's
// name would otherwise block the open until a writer came), closed when this goes. Only a regular
// file is a picture file: any other has no fd.
//
// Preview: a camera RAW whose JPEG preview stands for the whole picture is opened as that JPEG
// (its bytes, with the RAW's orientation written in, in memory of its own), so that every JPEG
// path serves it: a first look at a DCT scale, its colour profile, decoding ahead. Where the
// preview lies is found in the decoding helper.
class OpenPicture {
public:
    enum class As { File, Preview };
    explicit OpenPicture(const QString& path, As as = As::File);
    ~OpenPicture();
    OpenPicture(const OpenPicture&) = delete;
    OpenPicture& operator=(const OpenPicture&) = delete;
    int fd() const { return m_fd; }
    // Why there is no fd: Missing for no such file or a folder, NotAPicture for any other kind of
    // file (a device such as /dev/zero, a FIFO, a socket), which is never opened.
    PictureError error() const { return m_error; }

private:
    void openPreview();
    int m_fd = -1;
    PictureError m_error = PictureError::Missing;
};

// Whether fd is open on a regular file.
bool isRegularFile(int fd);

// How many picture files have been opened for decoding so far, in this process.
int picturesOpened();

} // namespace tovik
