// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QtGlobal>

#include <vector>

namespace tovik {

// One picture of the sheet as measured, in twips: its own size and its name's extent.
struct SheetEntry {
    double width = 0, height = 0;
    double labelWidth = 0, labelHeight = 0;
};

// Where one entry goes on the sheet, in twips.
struct SheetPlacement {
    double x = 0, y = 0;                  // the picture's top-left corner
    double drawWidth = 0, drawHeight = 0; // the picture stretched to its measured size times p
    double textX = 0, textY = 0;          // the name's top-left corner
    // The sheet had to be widened before this entry: for the picture, for its name, or both.
    bool widenedForPicture = false;
    bool widenedForName = false;
};

struct SheetLayout {
    std::vector<SheetPlacement> placements; // in list order
    double width = 0, height = 0;           // the final sheet, twips
    bool tooLong = false;                   // taller than 2000 pixels: the build halts
};

inline constexpr int MaxSheetHeightPixels = 2000;

// Lays the entries out left to right in rows on a sheet paperWidth pixels wide, each reduced to
// percent of its size with its name under it: 20 pixel margins and gaps, a new row when an item
// would come within 10 pixels of the paper's edge, 30 pixels below the last row.
SheetLayout layoutSheet(const std::vector<SheetEntry>& entries, float percent, qint16 paperWidth,
                        double tppX, double tppY);

// The progress bar's step per picture on a 0 to 100 bar.
qint32 progressStep(qint32 pictureCount);

} // namespace tovik
