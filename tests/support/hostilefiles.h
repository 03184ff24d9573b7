#pragma once

#include <QByteArray>
#include <QImage>

namespace tovik::test {

// Small files that cost a decoder far more than they show, made here so that no test depends on
// a stored corpus. Each mirrors a known class: dimension bombs that hide their size where a
// first look does not find it, scan floods and record floods.

// A placeable WMF of width x height units at unitsPerInch, holding these records (META_EOF added).
QByteArray wmfFile(int width, int height, int unitsPerInch, const QByteArray& records);
// One WMF record: its function and its parameters as 16-bit words.
QByteArray wmfRecord(quint16 function, std::initializer_list<qint16> words = {});
// WMF records filling the whole box with red.
QByteArray wmfFilledBox(int width, int height);
// A flood fill from the middle of the box to a black border.
QByteArray wmfFloodFill(int width, int height);
// A side x side maze of one-pixel corridors winding up and down (two interleaved combs of
// walls), then a flood fill at its entrance: a fill that follows it pixel by pixel.
QByteArray wmfMaze(int side);

// An icon whose directory says 256 x 256 but whose entry is a PNG of width x height.
QByteArray iconWithPng(int width, int height);
// A GIF with a 1 x 1 logical screen and one frame of width x height.
QByteArray gifWithLargeFrame(int width, int height);
// picture as a progressive JPEG, with its last scan repeated until it has `scans` scans.
QByteArray progressiveJpeg(const QImage& picture, int scans = 0);
// The number of start-of-scan markers in a JPEG's segments.
int jpegScanCount(const QByteArray& jpeg);

} // namespace tovik::test
