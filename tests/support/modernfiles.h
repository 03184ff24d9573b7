// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QByteArray>
#include <QColorSpace>
#include <QImage>
#include <QList>
#include <QPair>

#include <functional>

struct jpeg_compress_struct;

namespace tovik::test {

// Pictures in today's formats and colour profiles, made here with the libraries themselves so
// that no test depends on a stored corpus.

enum class HeifCodec { Hevc, Av1 };
// picture (upright) stored as HEIC or AVIF with irot/imir boxes for the EXIF-style orientation
// (1 to 8), at 8 or 10 bits a channel, with an ICC profile where one is given.
QByteArray heifFile(const QImage& picture, HeifCodec codec, int orientation = 1, int depth = 8,
                    const QByteArray& icc = {});
// The same file claiming width x height in its image spatial extents box.
QByteArray withClaimedHeifSize(QByteArray heif, quint32 width, quint32 height);
// A HEIC (libheif wraps its picture in a grid of one tile, described in its idat box) whose grid
// says it assembles width x height, whatever its boxes claim.
QByteArray withGridOutputSize(QByteArray heic, quint16 width, quint16 height);
// A HEIF with count more items (of a type no reader knows) in its item list, the rest moved on
// so that its picture still decodes.
QByteArray withExtraHeifItems(QByteArray heif, int count);

// A 494-byte HEIC whose boxes say 64 x 48 and whose HEVC stream claims 35282 x 32709: found by
// fuzzing, it once took libde265 9 s and 3 GB to refuse.
QByteArray heicWithHugeStream();

// picture stored as JPEG XL (lossless, or lossy when distance > 0), in sRGB, in Display P3 stated
// as numbers, or in an ICC profile; with an orientation (1 to 8).
enum class JxlColours { SRgb, DisplayP3, Icc };
QByteArray jxlFile(const QImage& picture, JxlColours colours = JxlColours::SRgb,
                   const QByteArray& icc = {}, int orientation = 1, float distance = 0);
// A bare JPEG XL codestream header claiming width x height, with no picture behind it.
QByteArray jxlHeader(quint32 width, quint32 height);

// An RGB profile whose red is sRGB's green and whose green is sRGB's red: a picture's red pixels
// are green on a managed screen.
QByteArray swappedRedAndGreenProfile();
// A gray profile with a gamma of 1 (gray 128 is sRGB 188), and a CMYK profile (made with lcms2)
// whose inks mix as a simple subtractive model: both beyond what Qt reads.
QByteArray linearGrayProfile();
// A gray profile whose curve (a gamma of 2.2) gives L* in the Lab connection space: one Qt refuses.
QByteArray labGrayProfile();
QByteArray simpleCmykProfile();
// lcms2's own conversion of one colour from a profile to sRGB (perceptual intent): the reference
// the viewer's colours are held to. cmyk: the four inks, 0 to 255; else rgb's (or gray's) channels.
QRgb lcmsToSrgb(const QByteArray& icc, QRgb rgb);
QRgb lcmsCmykToSrgb(const QByteArray& icc, const unsigned char cmyk[4]);

// A JPEG with icc spliced in as APP2 chunks of at most chunkBytes (the count field says count;
// 0 means the true count).
QByteArray withIccProfile(const QByteArray& jpeg, const QByteArray& icc, int chunkBytes = 65519,
                          int count = 0);
// picture written as a JPEG by libjpeg at quality 90, its settings changed by configure first.
QByteArray libjpegFile(const QImage& picture,
                       const std::function<void(jpeg_compress_struct&)>& configure);
// picture as a progressive JPEG whose AC coefficients come in these bands (first, last index of
// each), a scan for each band of each component, after one scan of the DC coefficients.
QByteArray progressiveJpegInBands(const QImage& picture, const QList<QPair<int, int>>& bands);
// A JPEG with an EXIF segment that says only its orientation (1 to 8): as a SHORT of count 1 in
// IFD0 (sound), or in one of the forms readers disagree on, none of which turns the picture.
enum class ExifForm { Sound, Long, CountOfTwo, InIfd1, InSecondApp1 };
QByteArray withExifOrientation(const QByteArray& jpeg, int orientation,
                               ExifForm form = ExifForm::Sound);
// A CMYK JPEG of width x height in one ink colour, written as Adobe writes it (inverted inks,
// Adobe marker).
QByteArray adobeCmykJpeg(int width, int height, const unsigned char cmyk[4]);

// Whether two colours differ by at most tolerance in each channel.
bool near(QRgb a, QRgb b, int tolerance = 2);

// The picture written in format by Qt's writer, at quality (the writer's own when -1).
QByteArray encoded(const QImage& image, const char* format, int quality = -1);

} // namespace tovik::test
