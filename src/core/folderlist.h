// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QString>
#include <QStringList>

namespace tovik {

// The name patterns of every picture the program opens: its first formats, then the others Qt
// reads, then cameras' RAW files. The Open dialog's "All Graphics" lists them, and a folder's
// pictures are the files they match, in either case.
inline const QString PicturePatterns = QStringLiteral(
    "*.jpg;*.gif;*.bmp;*.ico;*.wmf;*.emf;*.cur;*.jpeg;*.jpe;*.png;*.tif;*.tiff;*.webp;*.svg;"
    "*.svgz;*.tga;*.icns;*.mng;*.wbmp;*.pbm;*.pgm;*.ppm;*.xbm;*.xpm;*.heic;*.heif;*.hif;*.avif;*."
    "jxl;*.dng;*.cr2;*.cr3;*.crw;*.nef;*.nrw;*.arw;*.srf;*.sr2;*.raf;*.orf;*.rw2;*.rwl;*.pef;"
    "*.srw;*.x3f;*.3fr;*.iiq;*.erf;*.kdc;*.dcr;*.mrw");

// Natural order: runs of digits compare as numbers (photo2 before photo10), other runs as text
// without regard to case. Negative, zero or positive, as a < b, a ~ b, a > b.
int naturalCompare(QStringView a, QStringView b);

// Of a folder's file names, the pictures, in natural order as people number their photos:
// photo2 before photo10, letters without regard to case.
QStringList picturesAmong(QStringList names);

} // namespace tovik
