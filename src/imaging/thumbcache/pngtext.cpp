// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/thumbcache/pngtext.h"

#include "core/bytes.h"

#include <zlib.h>

namespace tovik {

namespace {
constexpr uLong MostValue = 4096;
constexpr int MostChunks = 4096;

// A compressed value, or empty when it does not inflate within MostValue bytes.
QByteArray inflated(const QByteArray& compressed) {
    QByteArray out(MostValue, Qt::Uninitialized);
    uLongf length = MostValue;
    if (uncompress(reinterpret_cast<Bytef*>(out.data()), &length,
                   reinterpret_cast<const Bytef*>(compressed.constData()),
                   uLong(compressed.size())) != Z_OK)
        return {};
    out.truncate(qsizetype(length));
    return out;
}

// The keyword and value of one text chunk's data; an empty keyword when it holds none.
std::pair<QByteArray, QByteArray> textOf(const QByteArray& type, const QByteArray& data) {
    const qsizetype end = data.indexOf('\0');
    if (end <= 0)
        return {};
    const QByteArray keyword = data.left(end);
    if (type == "tEXt")
        return {keyword, data.mid(end + 1)};
    if (type == "zTXt") // a method byte, then the deflated value
        return {keyword, inflated(data.mid(end + 2))};
    // iTXt: compressed flag, method, language tag NUL, translated keyword NUL, value.
    const bool compressed = data.size() > end + 1 && data[end + 1] != 0;
    const qsizetype language = data.indexOf('\0', end + 3);
    const qsizetype translated = language < 0 ? -1 : data.indexOf('\0', language + 1);
    if (translated < 0)
        return {};
    const QByteArray value = data.mid(translated + 1);
    return {keyword, compressed ? inflated(value) : value};
}
} // namespace

QHash<QByteArray, QByteArray> pngText(const QByteArray& png) {
    QHash<QByteArray, QByteArray> text;
    const ByteView b(png.constData(), std::size_t(png.size()));
    if (!b.has(0, "\x89PNG\r\n\x1a\n", 8))
        return text;
    qint64 at = 8;
    for (int chunk = 0; chunk < MostChunks && at + 12 <= b.size(); ++chunk) {
        const qint64 length = b.be32(at);
        if (length > b.size() - at - 12)
            break;
        const QByteArray type = png.mid(at + 4, 4);
        if (type == "IEND")
            break;
        if (type == "tEXt" || type == "zTXt" || type == "iTXt") {
            const auto [keyword, value] = textOf(type, png.mid(at + 8, length));
            if (!keyword.isEmpty() && !text.contains(keyword))
                text.insert(keyword, value);
        }
        at += 12 + length;
    }
    return text;
}

} // namespace tovik
