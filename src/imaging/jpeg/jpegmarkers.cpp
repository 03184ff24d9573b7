// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/jpeg/jpegmarkers.h"

#include "core/bytes.h"
#include "plugins/profiles.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include <jpeglib.h>
#include <unistd.h>

namespace tovik {

namespace {
constexpr char IccTag[] = "ICC_PROFILE"; // with its NUL, 12 bytes
constexpr char ExifTag[] = "Exif\0";     // with its NUL, 6 bytes
} // namespace

void IccChunks::add(const uchar* data, size_t length) {
    const ByteView b(data, length);
    if (m_tooLong || length < 14 || !b.has(0, IccTag, sizeof IccTag))
        return;
    m_bytes += qsizetype(length - 14);
    if (m_bytes > MaxProfileBytes) {
        m_tooLong = true;
        m_chunks.clear();
        return;
    }
    m_count = int(b.u8(13));
    m_chunks[int(b.u8(12))] =
        QByteArray(reinterpret_cast<const char*>(data) + 14, qsizetype(length - 14));
}

QByteArray IccChunks::joined() const {
    QByteArray icc;
    for (int i = 1; i <= m_count && !m_tooLong; ++i) {
        const auto chunk = m_chunks.find(i);
        if (chunk == m_chunks.end())
            return {};
        icc += chunk->second;
    }
    return icc;
}

namespace {
unsigned nextByte(j_decompress_ptr info) {
    jpeg_source_mgr* source = info->src;
    if (source->bytes_in_buffer == 0)
        (*source->fill_input_buffer)(info); // at the end of the data, a fake end marker
    --source->bytes_in_buffer;
    return *source->next_input_byte++;
}

// An APP1 or APP2 segment: its payload read into memory only when it is one that is kept.
boolean readSegment(j_decompress_ptr info) {
    auto& markers = *static_cast<JpegHeaderMarkers*>(info->client_data);
    const unsigned length = nextByte(info) << 8 | nextByte(info);
    const size_t payload = length >= 2 ? length - 2 : 0;
    const bool exif = info->unread_marker == JPEG_APP0 + 1;
    QByteArray bytes(qsizetype(std::min<size_t>(payload, 14)), Qt::Uninitialized);
    for (char& byte : bytes)
        byte = char(nextByte(info));
    const bool kept = exif ? markers.exif.isEmpty() && bytes.startsWith(QByteArray(ExifTag, 6))
                           : bytes.startsWith(QByteArray(IccTag, sizeof IccTag));
    if (!kept) {
        if (payload > size_t(bytes.size()))
            (*info->src->skip_input_data)(info, long(payload - size_t(bytes.size())));
        return TRUE;
    }
    bytes.resize(qsizetype(payload));
    for (qsizetype i = 14; i < bytes.size(); ++i)
        bytes[i] = char(nextByte(info));
    if (exif)
        markers.exif = bytes;
    else
        markers.icc.add(reinterpret_cast<const uchar*>(bytes.constData()), size_t(bytes.size()));
    return TRUE;
}
} // namespace

QByteArray withBoundedMetadata(QByteArray file) {
    constexpr qint64 MostMetadata = MaxProfileBytes + (qint64(1) << 20);
    const ByteView b(file.constData(), size_t(file.size()));
    if (!b.has(0, "\xff\xd8", 2))
        return file;
    struct Segment {
        qint64 at, length;
        unsigned marker;
    };
    std::vector<Segment> segments;
    qint64 metadata = 0, icc = 0, at = 2;
    for (; at + 4 <= b.size() && b.u8(at) == 0xff && b.u8(at + 1) != 0xda;
         at += 2 + b.be16(at + 2)) {
        const unsigned marker = b.u8(at + 1);
        const qint64 length = 2 + b.be16(at + 2);
        segments.push_back({at, length, marker});
        if (marker == 0xe1 || marker == 0xe2 || marker == 0xfe)
            metadata += length;
        if (marker == 0xe2 && b.has(at + 4, IccTag, sizeof IccTag))
            icc += length;
    }
    if (metadata <= MostMetadata)
        return file;
    QByteArray kept = file.left(2);
    bool exif = false;
    for (const Segment& s : segments) {
        const bool firstExif = s.marker == 0xe1 && !exif && b.has(s.at + 4, ExifTag, 6);
        exif = exif || firstExif;
        const bool dropped = (s.marker == 0xe1 && !firstExif) || s.marker == 0xfe ||
                             (s.marker == 0xe2 && icc > MaxProfileBytes);
        if (!dropped)
            kept += file.mid(s.at, s.length);
    }
    kept += file.mid(std::min<qint64>(at, file.size()));
    return kept;
}

void JpegHeaderMarkers::watch(jpeg_decompress_struct& info) {
    info.client_data = this;
    jpeg_set_marker_processor(&info, JPEG_APP0 + 1, readSegment);
    jpeg_set_marker_processor(&info, JPEG_APP0 + 2, readSegment);
}

std::optional<JpegFrame> jpegFrame(int fd) {
    unsigned char head[10] = {};
    if (pread(fd, head, 2, 0) != 2 || head[0] != 0xff || head[1] != 0xd8)
        return {};
    for (off_t at = 2; pread(fd, head, sizeof head, at) == sizeof head && head[0] == 0xff;
         at += 2 + (head[2] << 8 | head[3])) {
        const unsigned marker = head[1];
        if (marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc)
            return JpegFrame{{head[7] << 8 | head[8], head[5] << 8 | head[6]}, head[9]};
        if (marker == 0xda || marker == 0xd9)
            return {};
    }
    return {};
}

} // namespace tovik
