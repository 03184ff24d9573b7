#include "platform/picturebudget.h"

#include <algorithm>
#include <limits>

namespace tovik {

namespace {
// Bounds-checked little- and big-endian reads; 0 past the end.
class Bytes {
public:
    explicit Bytes(const QByteArray& b) : m_b(b) {}
    qsizetype size() const { return m_b.size(); }
    quint32 u8(qsizetype at) const { return at >= 0 && at < size() ? quint8(m_b[at]) : 0; }
    quint32 le16(qsizetype at) const { return u8(at) | u8(at + 1) << 8; }
    quint32 le32(qsizetype at) const { return le16(at) | le16(at + 2) << 16; }
    quint32 be16(qsizetype at) const { return u8(at) << 8 | u8(at + 1); }
    quint32 be32(qsizetype at) const { return be16(at) << 16 | be16(at + 2); }
    // Where the byte next occurs from at on; the end when it does not.
    qsizetype next(char byte, qsizetype at) const {
        const qsizetype found = m_b.indexOf(byte, at);
        return found < 0 ? size() : found;
    }
    bool startsWith(qsizetype at, const char* magic, qsizetype length) const {
        return at >= 0 && at + length <= size() && m_b.mid(at, length) == QByteArray(magic, length);
    }

private:
    const QByteArray& m_b;
};

// Sizes beyond int are kept as the largest int: they are refused all the same.
QSize sizeOf(qint64 width, qint64 height) {
    constexpr qint64 Most = std::numeric_limits<int>::max();
    return {int(std::min(width, Most)), int(std::min(height, Most))};
}

QSize larger(QSize a, QSize b) {
    const auto area = [](QSize s) { return s.isValid() ? qint64(s.width()) * s.height() : -1; };
    return area(b) > area(a) ? b : a;
}

// Each entry's image is a PNG (its own header says its size) or a bitmap of twice the height.
// The icon reader decodes a PNG entry with a reader of its own and converts the result twice.
DecodeCost iconCost(const Bytes& b) {
    QSize largest;
    bool png = false;
    const quint32 count = b.le16(4);
    for (quint32 i = 0; i < count && 6 + 16 * qsizetype(i) + 16 <= b.size(); ++i) {
        const qsizetype at = b.le32(6 + 16 * i + 12);
        const bool isPng = b.startsWith(at, "\x89PNG\r\n\x1a\n", 8);
        png = png || isPng;
        if (isPng)
            largest = larger(largest, sizeOf(b.be32(at + 16), b.be32(at + 20)));
        else
            largest = larger(largest, sizeOf(qint32(b.le32(at + 4)) < 0 ? 0 : b.le32(at + 4),
                                             (b.le32(at + 8) & 0x7fffffff) / 2));
    }
    return {largest, png ? 3 : 1, 0};
}

// Skips a GIF's data sub-blocks from at; returns where the next block starts.
qsizetype skipSubBlocks(const Bytes& b, qsizetype at) {
    while (at < b.size()) {
        const quint32 length = b.u8(at);
        at += 1 + length;
        if (length == 0)
            break;
    }
    return at;
}

qsizetype skipColourTable(const Bytes& b, qsizetype packedAt, qsizetype at) {
    const quint32 packed = b.u8(packedAt);
    return packed & 0x80 ? at + 3 * (qsizetype(2) << (packed & 7)) : at;
}

// The logical screen and every frame's rectangle: a frame may be far larger than the screen.
QSize gifCost(const Bytes& b) {
    QSize largest = sizeOf(b.le16(6), b.le16(8));
    qsizetype at = skipColourTable(b, 10, 13);
    while (at < b.size()) {
        const quint32 kind = b.u8(at);
        if (kind == 0x21) { // extension: label, then sub-blocks
            at = skipSubBlocks(b, at + 2);
        } else if (kind == 0x2c) { // image: descriptor, colour table, code size, data
            largest = larger(largest, sizeOf(b.le16(at + 5), b.le16(at + 7)));
            at = skipSubBlocks(b, skipColourTable(b, at + 9, at + 10) + 1);
        } else {
            break; // the trailer, or damage the decoder will refuse
        }
    }
    return largest;
}

// The frame size and the start-of-scan markers, walking the segments and the entropy-coded
// data between them.
DecodeCost jpegCost(const Bytes& b) {
    DecodeCost cost;
    qsizetype at = 2;
    while (at + 1 < b.size()) {
        if (b.u8(at) != 0xff) {
            at = b.next(0xff, at);
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
        const bool frame =
            marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
        if (frame)
            cost.largest = larger(cost.largest, sizeOf(b.be16(at + 7), b.be16(at + 5)));
        if (marker == 0xda)
            ++cost.jpegScans;
        at += 2 + b.be16(at + 2);
    }
    return cost;
}
} // namespace

bool scansWithinBudget(const DecodeCost& cost) {
    const qint64 pixels =
        cost.largest.isValid() ? qint64(cost.largest.width()) * cost.largest.height() : 0;
    return cost.jpegScans <= MaxJpegScans && cost.jpegScans * pixels <= MaxJpegScanPixels;
}

DecodeCost decodeCost(const QByteArray& bytes, const QByteArray& format) {
    const Bytes b(bytes);
    if (format == "jpeg")
        return jpegCost(b);
    if (format == "gif")
        return {gifCost(b), 1, 0};
    if (format == "png")
        return {sizeOf(b.be32(16), b.be32(20)), 1, 0};
    if (format == "ico")
        return iconCost(b);
    return {};
}

} // namespace tovik
