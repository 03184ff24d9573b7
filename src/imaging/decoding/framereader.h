// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QImage>

#include <memory>

namespace tovik {

class PictureSource;

// The frames of an animated picture after its first, decoded in this process one at a time from
// a descriptor (duplicated: the caller's stays its own), each within the budget its first frame
// was checked against, from the start again after the last. Null frames once the file no longer
// gives one.
class FrameReader {
public:
    explicit FrameReader(int fd);
    ~FrameReader();
    FrameReader(const FrameReader&) = delete;
    FrameReader& operator=(const FrameReader&) = delete;

    QImage next();
    // Passes over frames, as many as next() would have given (a whole round at most).
    void skip(quint32 frames);
    // How long the frame just given is shown, in milliseconds.
    int delayMs() const;

private:
    bool rewind();
    int m_fd = -1;
    std::unique_ptr<PictureSource> m_source;
};

// How long a frame that asks delayMs is shown: frames that say no delay (or a tiny one) are
// shown as browsers show them.
int shownDelayMs(int delayMs);

} // namespace tovik
