// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QImage>
#include <QRect>

class QPrinter;

namespace tovik {

class frmShowTell;

// Ctrl+P: the print dialog, then the picture shown printed on one page, as large as the page
// holds it, centred, its sides in proportion, the page turned to suit it.
void PrintCommand(frmShowTell& window);

// Where a picture of size goes on a page of area: as large as it fits, centred.
QRect fittedOnPage(QSize picture, QRect area);

// Prints picture on the printer as the command does; false when the printer cannot be written.
bool printPicture(QPrinter& printer, const QImage& picture);

} // namespace tovik
