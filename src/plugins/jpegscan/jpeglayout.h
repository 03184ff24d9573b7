// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QByteArray>
#include <QList>
#include <QSize>

#include <array>
#include <optional>
#include <vector>

namespace tovik::jpegscan {

struct JpegComponent {
    int id = 0, h = 1, v = 1, dcTable = 0, acTable = 0;
};

// How a baseline JPEG (8 bits, one or three components, one interleaved scan) lays out its
// entropy-coded data: what walking it, and writing a piece of it as a JPEG of its own, needs.
struct JpegLayout {
    QSize size;
    int maxH = 1, maxV = 1;
    std::vector<JpegComponent> components;
    int restartInterval = 0;
    qint64 scanData = 0; // where the entropy-coded data begin in the file
    // Every table, and the markers that say how its components are coloured (JFIF, Adobe), as
    // they stand in the file; and its scan's header.
    QByteArray tables, scanHeader;
    QByteArray frameHeader;                                 // SOF's payload after its length
    std::array<QByteArray, 4> dcDefinitions, acDefinitions; // a DHT's 16 counts, then its values
    QByteArray exif; // its first EXIF APP1 segment's payload, which may say how it is turned
    QList<QByteArray> iccSegments; // its APP2 segments, which hold its colour profile

    int mcuWidth() const { return components.size() == 1 ? 8 : 8 * maxH; }
    int mcuHeight() const { return components.size() == 1 ? 8 : 8 * maxV; }
    int mcusAcross() const { return (size.width() + mcuWidth() - 1) / mcuWidth(); }
    int mcusDown() const { return (size.height() + mcuHeight() - 1) / mcuHeight(); }
    // Blocks of each component in one MCU.
    int blocksOf(const JpegComponent& c) const { return components.size() == 1 ? 1 : c.h * c.v; }
};

// The layout of the JPEG whose first bytes are head (through its scan's header); none when it is
// no baseline JPEG of that kind, or head ends before its scan.
std::optional<JpegLayout> baselineLayout(const QByteArray& head);

// How far into a file its scan's header must lie for a large picture to be read that way.
inline constexpr qint64 MostHeaderBytes = qint64(4) << 20;

} // namespace tovik::jpegscan
