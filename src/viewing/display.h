// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QString>

namespace tovik {

class frmShowTell;

// The only way to load and draw a picture file: the status text, the picture into imgThree, drawn
// at ZoomFactor onto imgOne from its top-left corner, and the scroll bars. A failed load leaves the
// previous picture on screen.
void Display(frmShowTell& window, const QString& FileName);
// An animated picture's next frame, drawn where the picture is, at the zoom it is shown at.
void ShowNextFrame(frmShowTell& window);

} // namespace tovik
