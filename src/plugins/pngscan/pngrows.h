// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QByteArray>
#include <QRgb>
#include <QSize>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace tovik::pngscan {

// What reading a PNG row by row needs of its header: its size and pixel form, palette and
// transparency, and where its data begin. Only a PNG that is not interlaced is read so.
struct PngLayout {
    QSize size;
    int depth = 8, colourType = 2;
    QByteArray palette, transparency;
    qint64 firstData = 0; // the first IDAT chunk's length field
    // Its colours: an ICC profile (the iCCP chunk as stored), said to be sRGB (sRGB), or a gamma
    // (gAMA, times 100000; 0 when none).
    QByteArray iccChunk;
    bool srgb = false;
    quint32 gamma = 0;

    int channels() const;
    qsizetype rowBytes() const { return (qint64(size.width()) * channels() * depth + 7) / 8; }
    int filterStep() const { return std::max(1, channels() * depth / 8); }
};

// The layout of the PNG whose first bytes are head (through its first IDAT chunk's header); none
// when it is no PNG of a form read here, or head ends first.
std::optional<PngLayout> pngLayout(const QByteArray& head);

// Where inflating a PNG's data can begin again: one a band of bandRows rows, kept in memory
// given for it (pointBytes each). A band is 256 rows, more where the points of a very wide
// picture would pass MostPointBytes together.
inline constexpr qint64 MostPointBytes = qint64(64) << 20;
int bandRows(const PngLayout& layout);
int pointCount(const PngLayout& layout);
qint64 pointBytes(const PngLayout& layout);

struct PointHead; // what a point holds, before its window

// A PNG's rows, unfiltered, read one after another from its file (fd, the caller's), from the
// top or from a point. While reading from the top with points given, it writes a point into
// each band as it passes it.
class PngRows {
public:
    PngRows(int fd, const PngLayout& layout);
    ~PngRows();
    PngRows(const PngRows&) = delete;
    PngRows& operator=(const PngRows&) = delete;

    // Reads from the top, writing points (pointCount of pointBytes, or null for none).
    bool start(uchar* points);
    // Reads on from the last point at or above row, which the top's reading wrote; the row it
    // gives next is then row. False when there is none.
    bool startAt(const uchar* points, int row);

    // The next row as stored (rowBytes), null at the end or where the data break.
    const uchar* next();
    int row() const { return m_row; } // of the row next() gives next

private:
    struct Inflate;
    bool resume(const PointHead& from);
    bool fill();
    void writePoint();
    int m_fd;
    PngLayout m_layout;
    int m_band; // rows a point
    std::unique_ptr<Inflate> m_inflate;
    std::vector<uchar> m_previous, m_current; // unfiltered; with the filter byte before current
    qsizetype m_have = 0;                     // bytes of the current row (filter byte too) read
    int m_row = 0;
    uchar* m_points = nullptr;
    int m_nextPoint = 0;
};

// The ICC profile of the PNG, inflated (within 4 MiB); empty when it has none that inflates.
QByteArray pngProfile(const PngLayout& layout);

// Row row (as stored) in RGB32, count pixels from x on, over fill where it is transparent.
void toRgb32(const PngLayout& layout, const uchar* row, int x, int count, QRgb fill, QRgb* out);

} // namespace tovik::pngscan
