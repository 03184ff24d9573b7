// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QtGlobal>

class QLabel;
class QWidget;

namespace tovik {

class frmShowTell;

// Places a control at a position and size given in twips.
void placeTwips(QWidget* control, double left, double top, double width, double height, double tppX,
                double tppY);

// A word-wrapped label at its twip position and width, as tall as its text needs: this system's
// fonts are wider than those the sizes were chosen for, and a clipped caption helps nobody.
void placeLabelTwips(QLabel* label, double left, double top, double width, double height,
                     double tppX, double tppY);

// Gives a fixed-size dialog its client size in twips.
void sizeClientTwips(QWidget* dialog, double width, double height, double tppX, double tppY);

// Centres a window on the main window: left = main left + (main width - own width) / 2, top
// likewise, in twips computed in Single.
void centreOnMainWindow(QWidget* window, const frmShowTell& main);

} // namespace tovik

namespace tovik {

// The forms' own font, "Arial" 8.25 pt, so that captions fit the twip sizes they were laid out in.
void useFormFont(QWidget* form);

} // namespace tovik
