// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tovik {

// Reads the numbers of a file's binary headers: little- and big-endian, bounds-checked (0 past
// the end, so a short or lying file reads as zeros, never past its bytes). The one such reader in
// the program; free of Qt, so that the metafile code, which must not include Qt, uses it too.
class ByteView {
public:
    ByteView(const void* data, std::size_t size)
        : m_p(static_cast<const unsigned char*>(data)), m_size(size) {}

    std::int64_t size() const { return std::int64_t(m_size); }
    const void* data() const { return m_p; }
    std::uint32_t u8(std::int64_t at) const { return at >= 0 && at < size() ? m_p[at] : 0; }
    std::uint32_t le16(std::int64_t at) const { return u8(at) | u8(at + 1) << 8; }
    std::uint32_t le32(std::int64_t at) const { return le16(at) | le16(at + 2) << 16; }
    std::uint32_t be16(std::int64_t at) const { return u8(at) << 8 | u8(at + 1); }
    std::uint32_t be32(std::int64_t at) const { return be16(at) << 16 | be16(at + 2); }
    // Whether the bytes at at are magic.
    bool has(std::int64_t at, const char* magic, std::size_t length) const {
        return at >= 0 && at + std::int64_t(length) <= size() &&
               std::memcmp(m_p + at, magic, length) == 0;
    }

private:
    const unsigned char* m_p;
    std::size_t m_size;
};

} // namespace tovik
