// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>

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

// A PNG whose header says width x height at this depth (bits a channel, RGBA), with a token of
// data: what it costs is decided by its header alone.
QByteArray pngHeader(quint32 width, quint32 height, int depth);
// The frame header of a progressive JPEG of width x height with `components` components (4:
// CMYK), each sampled fully, and a token scan: all the coefficients of the picture are kept.
QByteArray progressiveJpegHeader(int width, int height, int components);
// An animated WebP on a width x height canvas (its VP8X and ANIM chunks, no frame).
QByteArray animatedWebp(int width, int height);
// An animated WebP of these frames (each drawn at the top left of the canvas, shown for its
// delay), losslessly encoded; a frame larger than the canvas is written as it is.
QByteArray animatedWebpOf(const QList<QImage>& frames, const QList<int>& delaysMs, QSize canvas);
// A TIFF of width x height RGB in one uncompressed strip (its first directory, a token strip).
QByteArray oneStripTiff(quint32 width, quint32 height);
// An icon whose three entries point at nothing that is an image: past the end, into the
// directory, at bytes of no format.
QByteArray iconWithBrokenDirectory();
// A 24-bit bitmap stored top-down (negative height), red above and blue below.
QByteArray topDownBitmap(int width, int height);
// An SVG without a size whose <use> elements double `levels` levels deep.
QByteArray svgUseBomb(int levels);
// An SVG document of `inflated` bytes (mostly one long comment), gzipped.
QByteArray svgzBomb(qint64 inflated);

} // namespace tovik::test
