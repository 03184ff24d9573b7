// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/jpeg/jpegmarkers.h"

#include "core/bytes.h"
#include "plugins/profiles.h"

#include <cstdio>

#include <jpeglib.h>

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

void JpegHeaderMarkers::watch(jpeg_decompress_struct& info) {
    info.client_data = this;
    jpeg_set_marker_processor(&info, JPEG_APP0 + 1, readSegment);
    jpeg_set_marker_processor(&info, JPEG_APP0 + 2, readSegment);
}

} // namespace tovik
