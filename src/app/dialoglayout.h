#pragma once

#include <QtGlobal>

class QWidget;

namespace tovik {

class frmShowTell;

// Places a control at a position and size given in twips.
void placeTwips(QWidget* control, double left, double top, double width, double height, double tppX,
                double tppY);

// Gives a fixed-size dialog its client size in twips.
void sizeClientTwips(QWidget* dialog, double width, double height, double tppX, double tppY);

// Centres a window on the main window: left = main left + (main width - own width) / 2, top
// likewise, in twips computed in Single.
void centreOnMainWindow(QWidget* window, const frmShowTell& main);

} // namespace tovik
