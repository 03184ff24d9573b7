// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "core/sheetlayout.h"

#include "core/rounding.h"

namespace tovik {

namespace {
// The running state of the layout loop, in twips.
struct Cursor {
    double posX = 0, posY = 0;
    double rowBottom = 0;  // whole twips
    double prevRight = 0;  // whole twips
    double sheetWidth = 0; // grows for an item wider than the sheet
};

// Moves posX right one pixel at a time until the name starts at or after limit, then 20 more.
void pushRight(Cursor& c, double offset, double limit, double tppX) {
    while (c.posX + offset < limit)
        c.posX += tppX;
    c.posX += 20 * tppX;
}

SheetPlacement place(Cursor& c, const SheetEntry& e, double p, double paperTwips, double tppX,
                     double tppY) {
    SheetPlacement out;
    const double w = e.width * p, h = e.height * p;
    const double lw = e.labelWidth, lh = e.labelHeight;
    const double d = (w - lw) / 2;
    if (w > c.sheetWidth) {
        out.widenedForPicture = true;
        c.sheetWidth = w + 40 * tppX;
    }
    if (c.sheetWidth < lw) {
        out.widenedForName = true;
        c.sheetWidth = lw + 40 * tppX;
    }
    if (c.posX + d < c.prevRight)
        pushRight(c, d, c.prevRight, tppX);
    const double edge = paperTwips - 10 * tppX;
    if (c.posX + w >= edge || c.posX + lw >= edge) {
        c.prevRight = 0;
        c.posX = 20 * tppX;
        c.posY = 20 * tppY + c.rowBottom;
        c.rowBottom = 0;
    }
    if (c.posX + d < 0)
        pushRight(c, d, c.prevRight, tppX);
    out.x = c.posX;
    out.y = c.posY;
    out.drawWidth = w;
    out.drawHeight = h;
    out.textX = c.posX + d;
    out.textY = c.posY + h;
    if (c.posY + h + lh > c.rowBottom)
        c.rowBottom = roundHalfEven(c.posY + h + lh);
    const double wider = w < lw ? lw : w;
    c.prevRight = roundHalfEven(c.posX + wider);
    c.posX += 20 * tppX + wider;
    return out;
}
} // namespace

SheetLayout layoutSheet(const std::vector<SheetEntry>& entries, float percent, qint16 paperWidth,
                        double tppX, double tppY) {
    const double paperTwips = paperWidth * tppX;
    Cursor c;
    c.posX = 20 * tppX;
    c.posY = 20 * tppY;
    c.rowBottom = roundHalfEven(20 * tppY);
    c.sheetWidth = paperTwips;
    SheetLayout layout;
    for (const SheetEntry& e : entries)
        layout.placements.push_back(place(c, e, percent, paperTwips, tppX, tppY));
    layout.width = c.sheetWidth;
    layout.height = c.rowBottom + 30 * tppY;
    layout.tooLong = layout.height > MaxSheetHeightPixels * tppY;
    return layout;
}

qint32 progressStep(qint32 pictureCount) {
    return pictureCount > 0 ? roundToLong(100.0 / pictureCount) : 100;
}

} // namespace tovik
