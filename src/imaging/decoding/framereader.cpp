// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/decoding/framereader.h"

#include "imaging/colour/screencolours.h"
#include "imaging/decoding/guarded.h"
#include "imaging/reading/picturesource.h"

#include <fcntl.h>
#include <unistd.h>

namespace tovik {

int shownDelayMs(int delayMs) {
    constexpr int Tiny = 10, Usual = 100; // as browsers show them
    return delayMs <= Tiny ? Usual : delayMs;
}

FrameReader::FrameReader(int fd) {
    m_fd = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (m_fd >= 0 && rewind())
        m_source->read(); // the first frame is on screen already
}

FrameReader::~FrameReader() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FrameReader::rewind() {
    m_source = std::make_unique<PictureSource>(m_fd);
    return m_source->error == PictureError::None && !m_source->drawnOutside();
}

QImage FrameReader::next() {
    return guarded(
        [&] {
            if (!m_source || m_source->error != PictureError::None)
                return QImage();
            QImage frame = m_source->read();
            if (frame.isNull() && rewind()) // past the last frame: from the start again
                frame = m_source->read();
            toScreenColours(frame);
            return frame;
        },
        QImage());
}

void FrameReader::skip(quint32 frames) {
    const int count = m_source ? m_source->reader().imageCount() : 0;
    if (count > 0)
        frames %= quint32(count);
    for (quint32 i = 0; i < frames; ++i)
        if (next().isNull())
            return;
}

int FrameReader::delayMs() const {
    return shownDelayMs(m_source ? m_source->reader().nextImageDelay() : 0);
}

} // namespace tovik
