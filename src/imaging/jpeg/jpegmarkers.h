// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QByteArray>
#include <QSize>

#include <cstddef>
#include <map>
#include <optional>

struct jpeg_decompress_struct;

namespace tovik {

// A JPEG's ICC profile put together from its APP2 chunks as they come. Gathering stops, and
// what was gathered is let go, as soon as the chunks pass MaxProfileBytes: no file makes it hold
// more, however many chunks it has.
class IccChunks {
public:
    // One APP2 segment's payload (after its length); any other than an ICC chunk is passed over.
    void add(const uchar* data, size_t length);
    // The profile; empty when there is none, a chunk is missing or it is too long.
    QByteArray joined() const;

private:
    std::map<int, QByteArray> m_chunks;
    qsizetype m_bytes = 0;
    int m_count = 0;
    bool m_tooLong = false;
};

// What a JPEG's header says of its colours and orientation, taken as libjpeg reads it: the ICC
// chunks, and the payload of the first EXIF APP1 segment. libjpeg saves no marker for it; every
// other APP1 and APP2 segment is skipped unread.
struct JpegHeaderMarkers {
    IccChunks icc;
    QByteArray exif;
    // Before jpeg_read_header; info's client_data is this, until info goes.
    void watch(jpeg_decompress_struct& info);
};

// A JPEG file whose metadata segments before its first scan (APP1, APP2, comments) pass a few
// megabytes, as no camera or editor writes them, without those a reader would hold in memory
// twice over: every APP1 but the first EXIF block, every comment, and the ICC chunks when they
// pass MaxProfileBytes. Any other file as it is.
QByteArray withBoundedMetadata(QByteArray file);

// What the frame header of the JPEG file fd says, found by walking its segments' headers alone
// (a few small reads); none when it is no JPEG or its scan comes first.
struct JpegFrame {
    QSize size;
    int components = 0;
};
std::optional<JpegFrame> jpegFrame(int fd);

} // namespace tovik
