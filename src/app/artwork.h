// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QIcon>
#include <QPixmap>

namespace tovik {

// The ten 16 x 16 toolbar pictures, numbered as in the image list (1 open folder, 2 left arrow,
// 3 right arrow, 4 clock, 5 ring, 6 plus, 7 minus, 8 equals, 9 floppy disk, 10 grid).
QIcon toolbarPicture(int number);

// The mark of a bar whose items do not all fit: two chevrons pointing along a horizontal bar, or
// down a vertical one.
QIcon overflowPicture(bool horizontal);

// The window's icon, 32 x 32 and 16 x 16.
QIcon applicationIcon();

// The same drawing at any size, for the desktop's icon theme.
QPixmap applicationIconPixmap(int size);

// The same drawing as a scalable SVG picture, for the theme's scalable folder.
QByteArray applicationIconSvg();

} // namespace tovik
