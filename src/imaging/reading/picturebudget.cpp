// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/reading/picturebudget.h"

#include "core/bytes.h"
#include "plugins/libraryformats.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tovik {

namespace {
constexpr qint64 Most = std::numeric_limits<qint64>::max();

// The header reader, with the searches the walks below need.
class Bytes : public ByteView {
public:
    explicit Bytes(const QByteArray& b) : ByteView(b.constData(), size_t(b.size())), m_b(b) {}
    // Where the byte next occurs from at on; the end when it does not.
    qint64 next(char byte, qint64 at) const {
        const qsizetype found = m_b.indexOf(byte, qsizetype(at));
        return found < 0 ? size() : found;
    }

private:
    const QByteArray& m_b;
};

// Sizes beyond int are kept as the largest int: they are refused all the same.
QSize sizeOf(qint64 width, qint64 height) {
    constexpr qint64 MostInt = std::numeric_limits<int>::max();
    return {int(std::min(width, MostInt)), int(std::min(height, MostInt))};
}

QSize larger(QSize a, QSize b) {
    const auto area = [](QSize s) { return s.isValid() ? qint64(s.width()) * s.height() : -1; };
    return area(b) > area(a) ? b : a;
}

// Bytes counted in floating point, so that no lying header overflows them.
qint64 clampedBytes(double bytes) {
    return bytes >= double(Most) ? Most : qint64(bytes);
}

// Each entry's image is a PNG (its own header says its size) or a bitmap of twice the height.
// The icon reader decodes a PNG entry with a reader of its own and converts the result twice.
// An entry whose image is neither is refused by the reader as damage: it costs nothing.
bool isPngAt(const Bytes& b, qint64 at) {
    return b.has(at, "\x89PNG\r\n\x1a\n", 8);
}

QSize iconEntrySize(const Bytes& b, quint32 entry) {
    const qint64 at = b.le32(6 + 16 * entry + 12);
    if (isPngAt(b, at))
        return sizeOf(b.be32(at + 16), b.be32(at + 20));
    if (b.le32(at) == 40 && qint32(b.le32(at + 4)) > 0)
        return sizeOf(b.le32(at + 4), (b.le32(at + 8) & 0x7fffffff) / 2);
    return {};
}

DecodeCost iconCost(const Bytes& b) {
    QSize largest;
    bool png = false;
    const quint32 count = b.le16(4);
    for (quint32 i = 0; i < count && 6 + 16 * qint64(i) + 16 <= b.size(); ++i) {
        png = png || isPngAt(b, b.le32(6 + 16 * i + 12));
        largest = larger(largest, iconEntrySize(b, i));
    }
    return {largest, 4, png ? 3 : 1, 0, 0};
}

// Skips a GIF's data sub-blocks from at; returns where the next block starts.
qint64 skipSubBlocks(const Bytes& b, qint64 at) {
    while (at < b.size()) {
        const quint32 length = b.u8(at);
        at += 1 + length;
        if (length == 0)
            break;
    }
    return at;
}

qint64 skipColourTable(const Bytes& b, qint64 packedAt, qint64 at) {
    const quint32 packed = b.u8(packedAt);
    return packed & 0x80 ? at + 3 * (qint64(2) << (packed & 7)) : at;
}

// The logical screen and every frame's rectangle: a frame may be far larger than the screen.
// An animation keeps its canvas beside each frame handed out.
DecodeCost gifCost(const Bytes& b) {
    QSize largest = sizeOf(b.le16(6), b.le16(8));
    int frames = 0;
    qint64 at = skipColourTable(b, 10, 13);
    while (at < b.size()) {
        const quint32 kind = b.u8(at);
        if (kind == 0x21) { // extension: label, then sub-blocks
            at = skipSubBlocks(b, at + 2);
        } else if (kind == 0x2c) { // image: descriptor, colour table, code size, data
            largest = larger(largest, sizeOf(b.le16(at + 5), b.le16(at + 7)));
            ++frames;
            at = skipSubBlocks(b, skipColourTable(b, at + 9, at + 10) + 1);
        } else {
            break; // the trailer, or damage the decoder will refuse
        }
    }
    return {largest, 4, frames > 1 ? 2 : 1, 0, 0};
}

// The whole-picture coefficients libjpeg keeps for a progressive or multi-scan JPEG: 64
// two-byte coefficients a block, each component's blocks padded to whole MCUs.
double jpegCoefficientBytes(const Bytes& b, qint64 frame) {
    const quint32 components = b.u8(frame + 9);
    quint32 hMax = 1, vMax = 1;
    for (quint32 k = 0; k < components; ++k) {
        hMax = std::max(hMax, b.u8(frame + 11 + 3 * k) >> 4);
        vMax = std::max(vMax, b.u8(frame + 11 + 3 * k) & 15);
    }
    const double mcusAcross = std::ceil(b.be16(frame + 7) / (8.0 * hMax));
    const double mcusDown = std::ceil(b.be16(frame + 5) / (8.0 * vMax));
    double blocks = 0;
    for (quint32 k = 0; k < components; ++k)
        blocks += mcusAcross * std::max(1u, b.u8(frame + 11 + 3 * k) >> 4) * mcusDown *
                  std::max(1u, b.u8(frame + 11 + 3 * k) & 15);
    return blocks * 64 * 2;
}

// The frame size and the start-of-scan markers, walking the segments and the entropy-coded
// data between them.
DecodeCost jpegCost(const Bytes& b) {
    DecodeCost cost;
    qint64 at = 2, frame = -1;
    bool progressive = false;
    while (at + 1 < b.size()) {
        if (b.u8(at) != 0xff) {
            at = b.next(char(0xff), at);
            continue;
        }
        const quint32 marker = b.u8(at + 1);
        if (marker == 0xff || marker == 0x00 || marker == 0x01 ||
            (marker >= 0xd0 && marker <= 0xd8)) {
            at += marker == 0xff ? 1 : 2; // fill bytes, stuffing, restarts: no length
            continue;
        }
        if (marker == 0xd9)
            break;
        if (marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 &&
            marker != 0xcc) {
            const QSize size = sizeOf(b.be16(at + 7), b.be16(at + 5));
            if (larger(cost.largest, size) == size) {
                cost.largest = size;
                frame = at;
            }
            progressive = progressive || (marker & 3) == 2; // SOF2, 6, 10, 14
        }
        if (marker == 0xda)
            ++cost.jpegScans;
        at += 2 + b.be16(at + 2);
    }
    if (frame >= 0 && (progressive || cost.jpegScans > 1))
        cost.workingBytes = clampedBytes(jpegCoefficientBytes(b, frame));
    return cost;
}

// A PNG's header: 16 bits a channel decode at 8 bytes a pixel.
DecodeCost pngCost(const Bytes& b) {
    return {sizeOf(b.be32(16), b.be32(20)), b.u8(24) == 16 ? 8 : 4, 1, 0, 0};
}

// A TIFF's first directory: the picture, at 8 bytes a pixel beyond 8 bits a sample, and the
// strip or tile libtiff decodes into before it reaches the picture.
DecodeCost tiffCost(const Bytes& b) {
    const bool little = b.has(0, "II*\0", 4);
    if (!little && !b.has(0, "MM\0*", 4))
        return {};
    const auto u16 = [&](qint64 at) { return little ? b.le16(at) : b.be16(at); };
    const auto u32 = [&](qint64 at) { return little ? b.le32(at) : b.be32(at); };
    const qint64 directory = u32(4);
    double width = 0, height = 0, bits = 8, samples = 1, rows = -1, tileWidth = 0, tileHeight = 0;
    for (quint32 i = 0, count = u16(directory); i < count; ++i) {
        const qint64 entry = directory + 2 + 12 * qint64(i);
        const quint32 tag = u16(entry), type = u16(entry + 2), values = u32(entry + 4);
        const double value = type == 3 ? u16(entry + 8) : u32(entry + 8);
        const double first = tag == 258 && type == 3 && values > 2 ? u16(u32(entry + 8)) : value;
        switch (tag) {
        case 256:
            width = value;
            break;
        case 257:
            height = value;
            break;
        case 258:
            bits = first;
            break;
        case 277:
            samples = value;
            break;
        case 278:
            rows = value;
            break;
        case 322:
            tileWidth = value;
            break;
        case 323:
            tileHeight = value;
            break;
        }
    }
    const double piece = tileWidth > 0 && tileHeight > 0
                             ? tileWidth * tileHeight
                             : width * (rows < 0 ? height : std::min(rows, height));
    const double sampleBytes = std::ceil(std::max(1.0, bits) / 8);
    return {sizeOf(qint64(std::min(width, 1e12)), qint64(std::min(height, 1e12))), bits > 8 ? 8 : 4,
            1, clampedBytes(piece * samples * sampleBytes), 0};
}

// The size a VP8 or VP8L bitstream chunk at `at` says its picture is; invalid for another chunk.
QSize webpBitstreamSize(const Bytes& b, qint64 at) {
    if (b.has(at, "VP8 ", 4))
        return sizeOf(b.le16(at + 14) & 0x3fff, b.le16(at + 16) & 0x3fff);
    if (b.has(at, "VP8L", 4)) {
        const quint32 bits = b.le32(at + 9);
        return sizeOf(1 + (bits & 0x3fff), 1 + ((bits >> 14) & 0x3fff));
    }
    return {};
}

// Whether every frame of an animated WebP lies within its canvas and its bitstream is the size
// its frame says: the decoder allocates for the bitstream's claim, whatever the canvas.
bool webpFramesFit(const Bytes& b, QSize canvas) {
    const auto u24 = [&](qint64 at) { return qint64(b.le16(at) | b.u8(at + 2) << 16); };
    for (qint64 at = 30; at + 8 <= b.size();
         at += 8 + qint64(b.le32(at + 4)) + (b.le32(at + 4) & 1)) {
        if (!b.has(at, "ANMF", 4))
            continue;
        const qint64 data = at + 8;
        const QSize frame = sizeOf(1 + u24(data + 6), 1 + u24(data + 9));
        qint64 stream = data + 16;
        if (b.has(stream, "ALPH", 4))
            stream += 8 + qint64(b.le32(stream + 4)) + (b.le32(stream + 4) & 1);
        const QSize coded = webpBitstreamSize(b, stream);
        if (2 * u24(data) + frame.width() > canvas.width() ||
            2 * u24(data + 3) + frame.height() > canvas.height() ||
            (coded.isValid() && coded != frame))
            return false;
    }
    return true;
}

// A WebP's canvas. An animation keeps the canvas, the frame being decoded, the frame as a
// picture and the picture handed out; a still picture is decoded once and converted.
DecodeCost webpCost(const Bytes& b) {
    if (!b.has(0, "RIFF", 4) || !b.has(8, "WEBP", 4))
        return {};
    const auto u24 = [&](qint64 at) { return b.le16(at) | b.u8(at + 2) << 16; };
    if (b.has(12, "VP8X", 4)) {
        const QSize canvas = sizeOf(1 + u24(24), 1 + u24(27));
        const bool animated = b.u8(20) & 2;
        DecodeCost cost{canvas, 4, animated ? 4 : 2, 0, 0};
        cost.broken = animated && !webpFramesFit(b, canvas);
        return cost;
    }
    if (b.has(12, "VP8 ", 4))
        return {sizeOf(b.le16(26) & 0x3fff, b.le16(28) & 0x3fff), 4, 2, 0, 0};
    if (b.has(12, "VP8L", 4)) {
        const quint32 bits = b.le32(21);
        return {sizeOf(1 + (bits & 0x3fff), 1 + ((bits >> 14) & 0x3fff)), 4, 2, 0, 0};
    }
    return {};
}
} // namespace

QList<QSize> iconEntrySizes(const QByteArray& icon) {
    const Bytes b(icon);
    QList<QSize> sizes;
    for (quint32 i = 0, count = b.le16(4); i < count && 6 + 16 * qint64(i) + 16 <= b.size(); ++i)
        sizes << iconEntrySize(b, i);
    return sizes;
}

qint64 DecodeCost::bytes() const {
    const double pictures =
        largest.isValid() ? double(largest.width()) * largest.height() * bytesPerPixel * copies : 0;
    return clampedBytes(pictures + double(workingBytes));
}

bool scansWithinBudget(const DecodeCost& cost) {
    const qint64 pixels =
        cost.largest.isValid() ? qint64(cost.largest.width()) * cost.largest.height() : 0;
    return cost.jpegScans <= MaxJpegScans && cost.jpegScans * pixels <= MaxJpegScanPixels;
}

namespace {
// Formats whose library reads the headers for us. A file it cannot read costs nothing here: the
// decoder says it is broken.
DecodeCost libraryCost(const FormatCost& cost) {
    return {cost.size, cost.bytesPerPixel, 1, 0, 0};
}
} // namespace

DecodeCost decodeCost(const QByteArray& bytes, const QByteArray& format) {
    const Bytes b(bytes);
    if (format == "jpeg")
        return jpegCost(b);
    if (format == "gif")
        return gifCost(b);
    if (format == "png")
        return pngCost(b);
    if (format == "ico")
        return iconCost(b);
    if (format == "tiff")
        return tiffCost(b);
    if (format == "webp")
        return webpCost(b);
    const WholeFileFormat* library = libraryFormat(format);
    return library ? libraryCost(library->cost(bytes)) : DecodeCost();
}

} // namespace tovik
