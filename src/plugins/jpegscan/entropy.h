// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>
#include <vector>

namespace tovik::jpegscan {

// A Huffman table of a JPEG, from its definition (16 counts, then the values): its codes looked
// up nine bits at a time, longer ones by length; and the code of each value, to write it again.
struct HuffmanTable {
    std::array<uint16_t, 512> fast{}; // length << 8 | value; 0: a longer code
    std::array<int32_t, 18> maxCode{};
    std::array<int32_t, 18> offset{};
    std::array<uint8_t, 256> values{};
    std::array<uint16_t, 256> code{};
    std::array<uint8_t, 256> length{}; // 0: the value has no code
    bool build(const QByteArray& definition);
};

// The entropy-coded data of a JPEG read bit by bit from its file (a megabyte at a time), its
// stuffed bytes taken out. At a marker the data end: zeros come instead, as libjpeg reads them,
// until a restart moves past it.
class EntropyReader {
public:
    // chunk: how much is read at a time.
    explicit EntropyReader(int fd, size_t chunk = size_t(1) << 20) : m_fd(fd), m_chunk(chunk) {}
    // Reads on from bit bit of the byte at offset.
    void seek(int64_t position);
    // Where the next bit lies, as offset * 8 + bit; -1 past the data's end.
    int64_t position() const;
    // Passes the restart marker the data stop at, whatever lies before it; false at the end.
    bool restart();
    // More bits were taken than the data held: they ended (at a marker, or the file's end).
    bool overrun() const { return m_realBits < 0; }

    int decode(const HuffmanTable& table) {
        if (m_count < 32)
            fill();
        const uint16_t entry = table.fast[peek(9)];
        if (entry) {
            take(entry >> 8);
            return entry & 0xff;
        }
        return decodeLong(table);
    }
    // n (at most 16) bits, after a decode: there are always 32 bits after a fill.
    uint32_t bits(int n) {
        const uint32_t value = peek(n);
        take(n);
        return value;
    }

private:
    uint32_t peek(int n) const { return uint32_t(m_bits >> (m_count - n)) & ((1u << n) - 1); }
    void take(int n) {
        m_count -= n;
        m_realBits -= n;
    }
    int decodeLong(const HuffmanTable& table);
    void fill();
    int nextByte(); // -1 at the file's end
    int m_fd;
    std::vector<unsigned char> m_chunk;
    int64_t m_chunkAt = 0;
    size_t m_chunkUsed = 0, m_chunkRead = 0;
    uint64_t m_bits = 0;
    int m_count = 0;
    int64_t m_realBits = 0; // of the bits held, those from the file rather than past a marker
    int64_t m_loaded = 0;   // bytes put in the buffer since the last seek or restart
    std::array<int64_t, 16> m_offsets{};
    int m_marker = 0;
};

// Entropy-coded data written, bytes stuffed.
class BitWriter {
public:
    void put(uint32_t value, int n) {
        m_bits = (m_bits << n) | (value & ((1u << n) - 1));
        m_count += n;
        while (m_count >= 8) {
            const char byte = char(m_bits >> (m_count - 8));
            m_out += byte;
            if (uchar(byte) == 0xff)
                m_out += char(0);
            m_count -= 8;
        }
    }
    // Ones up to the byte's end, as before a marker.
    void align() {
        if (m_count % 8)
            put(0xff, 8 - m_count % 8);
    }
    void marker(int code) {
        m_out += char(0xff);
        m_out += char(code);
    }
    QByteArray& bytes() { return m_out; }

private:
    uint64_t m_bits = 0;
    int m_count = 0;
    QByteArray m_out;
};

// The value of a coefficient from its bits, as JPEG extends them.
inline int extended(uint32_t bits, int size) {
    return size == 0 ? 0 : int(bits) < (1 << (size - 1)) ? int(bits) - (1 << size) + 1 : int(bits);
}

} // namespace tovik::jpegscan
