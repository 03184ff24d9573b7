// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "plugins/jpegscan/entropy.h"

#include <unistd.h>

namespace tovik::jpegscan {

bool HuffmanTable::build(const QByteArray& definition) {
    if (definition.size() < 16)
        return false;
    fast.fill(0);
    length.fill(0);
    maxCode.fill(-1);
    int index = 0;
    uint32_t next = 0;
    for (int bits = 1; bits <= 16; ++bits) {
        const int count = uchar(definition[bits - 1]);
        offset[bits] = index - int32_t(next);
        for (int i = 0; i < count; ++i, ++index, ++next) {
            if (16 + index >= definition.size() || next >= (1u << bits))
                return false;
            const uint8_t value = uchar(definition[16 + index]);
            values[index] = value;
            code[value] = uint16_t(next);
            length[value] = uint8_t(bits);
            if (bits <= 9)
                for (uint32_t low = 0; low < (1u << (9 - bits)); ++low)
                    fast[(next << (9 - bits)) | low] = uint16_t(bits << 8 | value);
        }
        maxCode[bits] = count ? int32_t(next) - 1 : -1;
        next <<= 1;
    }
    maxCode[17] = INT32_MAX; // a code longer than any: the data are broken
    return true;
}

int EntropyReader::decodeLong(const HuffmanTable& table) {
    for (int bits = 10; bits <= 16; ++bits) {
        const int32_t code = int32_t(peek(bits));
        if (code <= table.maxCode[bits]) {
            take(bits);
            return table.values[size_t(code + table.offset[bits]) & 0xff];
        }
    }
    take(16);
    return -1;
}

int EntropyReader::nextByte() {
    if (m_chunkUsed == m_chunkRead) {
        m_chunkAt += int64_t(m_chunkRead);
        const ssize_t got = pread(m_fd, m_chunk.data(), m_chunk.size(), m_chunkAt);
        m_chunkUsed = 0;
        m_chunkRead = got > 0 ? size_t(got) : 0;
        if (m_chunkRead == 0)
            return -1;
    }
    return m_chunk[m_chunkUsed++];
}

void EntropyReader::fill() {
    while (m_count <= 56) {
        int byte = 0;
        int64_t at = -1;
        if (m_marker == 0) {
            at = m_chunkAt + int64_t(m_chunkUsed);
            byte = nextByte();
            while (byte == 0xff) {
                const int after = nextByte();
                if (after == 0)
                    break;
                if (after != 0xff) {
                    m_marker = after < 0 ? 0xd9 : after;
                    byte = -1;
                }
            }
            if (byte < 0) {
                m_marker = m_marker ? m_marker : 0xd9;
                byte = 0;
                at = -1;
            }
        }
        m_bits = (m_bits << 8) | uint64_t(byte);
        m_count += 8;
        if (at >= 0)
            m_realBits += 8;
        m_offsets[size_t(m_loaded++ & 15)] = at;
    }
}

void EntropyReader::seek(int64_t position) {
    m_chunkAt = position >> 3;
    m_chunkUsed = m_chunkRead = 0;
    m_bits = 0;
    m_count = 0;
    m_realBits = 0;
    m_loaded = 0;
    m_marker = 0;
    fill();
    take(int(position & 7));
}

int64_t EntropyReader::position() const {
    const int64_t bit = m_loaded * 8 - m_count;
    if (m_realBits <= 0 || bit < 0 || m_loaded - bit / 8 > 16)
        return -1;
    const int64_t at = m_offsets[size_t((bit / 8) & 15)];
    return at < 0 ? -1 : at * 8 + bit % 8;
}

bool EntropyReader::restart() {
    m_bits = 0;
    m_count = 0;
    m_realBits = 0;
    m_loaded = 0;
    while (m_marker == 0) { // the marker lies beyond what was read
        int byte = nextByte();
        if (byte < 0)
            return false;
        while (byte == 0xff) {
            byte = nextByte();
            if (byte > 0 && byte != 0xff)
                m_marker = byte;
        }
        if (byte < 0)
            return false;
    }
    if (m_marker < 0xd0 || m_marker > 0xd7)
        return false;
    m_marker = 0;
    fill();
    return true;
}

} // namespace tovik::jpegscan
