// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "plugins/jpegscan/jpegindex.h"

#include "plugins/jpegscan/entropy.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>

namespace tovik::jpegscan {

namespace {
// The DC table every JPEG encoder starts from: it codes every difference eight bits allow.
const QByteArray StandardDc("\x00\x01\x05\x01\x01\x01\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00"
                            "\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b",
                            28);

struct Tables {
    std::array<HuffmanTable, 4> dc, ac;
    HuffmanTable standardDc;
    bool build(const JpegLayout& layout) {
        for (const JpegComponent& c : layout.components)
            if (!dc[c.dcTable].build(layout.dcDefinitions[c.dcTable]) ||
                !ac[c.acTable].build(layout.acDefinitions[c.acTable]))
                return false;
        return standardDc.build(StandardDc);
    }
};

// Writes a DC difference with the standard table.
bool putDc(BitWriter& out, const HuffmanTable& table, int difference) {
    const int size = difference == 0 ? 0 : std::bit_width(unsigned(std::abs(difference)));
    if (size > 11)
        return false;
    out.put(table.code[size], table.length[size]);
    out.put(uint32_t(difference < 0 ? difference - 1 : difference), size);
    return true;
}

// One MCU read, each component's DC carried on in dc; copied to out (its DCs carried on in
// outDc, written with the standard table) when out is given.
bool walkMcu(EntropyReader& in, const JpegLayout& layout, const Tables& t, int* dc,
             BitWriter* out = nullptr, int* outDc = nullptr) {
    for (size_t c = 0; c < layout.components.size(); ++c) {
        const JpegComponent& component = layout.components[c];
        const HuffmanTable& dcTable = t.dc[component.dcTable];
        const HuffmanTable& acTable = t.ac[component.acTable];
        for (int block = layout.blocksOf(component); block > 0; --block) {
            const int size = in.decode(dcTable);
            if (size < 0 || size > 11)
                return false;
            dc[c] += extended(size ? in.bits(size) : 0, size);
            if (out && !putDc(*out, t.standardDc, dc[c] - outDc[c]))
                return false;
            if (out)
                outDc[c] = dc[c];
            for (int k = 1; k < 64;) {
                const int rs = in.decode(acTable);
                if (rs < 0)
                    return false;
                const int run = rs >> 4, size = rs & 15;
                const uint32_t extra = size ? in.bits(size) : 0;
                if (out) {
                    out->put(acTable.code[rs], acTable.length[rs]);
                    out->put(extra, size);
                }
                if (size)
                    k += run + 1;
                else if (run == 15)
                    k += 16;
                else
                    break;
            }
        }
    }
    return true;
}

struct Walk {
    EntropyReader in;
    const JpegLayout& layout;
    const Tables& tables;
    int dc[3] = {};
    int64_t mcu = 0; // counted from the scan's start, for its restarts

    // Before the MCU at mcu: the restart due there, unless the walk starts at it.
    bool restartBefore(int64_t first) {
        const int interval = layout.restartInterval;
        if (interval == 0 || mcu == first || mcu % interval != 0)
            return true;
        dc[0] = dc[1] = dc[2] = 0;
        return in.restart();
    }
};

void headerPart(QByteArray& out, int marker, const QByteArray& payload) {
    out += char(0xff);
    out += char(marker);
    out += char((payload.size() + 2) >> 8);
    out += char((payload.size() + 2) & 0xff);
    out += payload;
}

QByteArray regionHeader(const JpegLayout& layout, const QRect& mcus) {
    QByteArray out("\xff\xd8", 2);
    out += layout.tables;
    QByteArray dcTables;
    for (const JpegComponent& c : layout.components)
        dcTables += char(c.dcTable) + StandardDc;
    headerPart(out, 0xc4, dcTables);
    const int right = std::min(layout.size.width(), (mcus.right() + 1) * layout.mcuWidth());
    const int bottom = std::min(layout.size.height(), (mcus.bottom() + 1) * layout.mcuHeight());
    const int width = right - mcus.left() * layout.mcuWidth();
    const int height = bottom - mcus.top() * layout.mcuHeight();
    QByteArray frame = layout.frameHeader;
    frame[1] = char(height >> 8);
    frame[2] = char(height);
    frame[3] = char(width >> 8);
    frame[4] = char(width);
    headerPart(out, 0xc0, frame);
    const char interval[2] = {char(mcus.width() >> 8), char(mcus.width() & 0xff)};
    headerPart(out, 0xdd, QByteArray(interval, 2));
    return out + layout.scanHeader;
}
} // namespace

int indexJpeg(int fd, const JpegLayout& layout, IndexPoint* points, const std::atomic<bool>& stop,
              std::atomic<int>* rows) {
    Tables tables;
    if (!tables.build(layout))
        return 0;
    Walk w{EntropyReader(fd), layout, tables};
    w.in.seek(layout.scanData * 8);
    const int across = layout.mcusAcross(), perRow = pointsAcross(layout);
    for (int row = 0; row < layout.mcusDown(); ++row) {
        if (stop)
            return row;
        for (int column = 0; column < across; ++column, ++w.mcu) {
            if (!w.restartBefore(0))
                return row;
            if (column % PointEvery == 0) {
                IndexPoint& point = points[qint64(row) * perRow + column / PointEvery];
                point = {w.in.position(), {int16_t(w.dc[0]), int16_t(w.dc[1]), int16_t(w.dc[2])}};
                if (point.position < 0)
                    return row;
            }
            if (!walkMcu(w.in, layout, tables, w.dc) || w.in.overrun())
                return row;
        }
        if (rows)
            *rows = row + 1;
    }
    return layout.mcusDown();
}

QByteArray regionJpeg(int fd, const JpegLayout& layout, const IndexPoint* points,
                      const QRect& mcus) {
    Tables tables;
    if (!tables.build(layout) || mcus.isEmpty())
        return {};
    BitWriter out;
    out.bytes() = regionHeader(layout, mcus);
    const int across = layout.mcusAcross(), perRow = pointsAcross(layout);
    // A row of the piece is some kilobytes of the file: no more is read at a time.
    Walk w{EntropyReader(fd, 64 << 10), layout, tables};
    const int start = mcus.left() / PointEvery * PointEvery;
    for (int row = mcus.top(); row <= mcus.bottom(); ++row) {
        const IndexPoint& point = points[qint64(row) * perRow + mcus.left() / PointEvery];
        if (point.position < 0)
            return {};
        std::copy_n(point.dc, 3, w.dc);
        w.mcu = int64_t(row) * across + start;
        w.in.seek(point.position);
        int outDc[3] = {};
        for (int column = start; column <= mcus.right(); ++column, ++w.mcu) {
            const bool copied = column >= mcus.left();
            if (!w.restartBefore(int64_t(row) * across + start) ||
                !walkMcu(w.in, layout, tables, w.dc, copied ? &out : nullptr, outDc))
                return {};
        }
        out.align();
        if (row < mcus.bottom())
            out.marker(0xd0 + (row - mcus.top()) % 8);
    }
    out.marker(0xd9);
    return out.bytes();
}

} // namespace tovik::jpegscan
