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
// A large JPEG shows first from a scaled decode of what the viewport needs (the preview), while
// it is decoded whole on a worker: the full picture then takes its place (FinishPicture).

// The shown picture read again from its file, which changed: shown only when it decodes whole,
// so that a file still being written keeps what is on screen and says nothing.
bool ShowAgain(frmShowTell& window, const QString& FileName);

// The full picture in place of the preview shown, waited for with the busy cursor while it is
// still decoding: what a command that needs the picture's own pixels acts on. False when it
// cannot be had: the message is given and what was shown before is back.
bool FinishPicture(frmShowTell& window);
// The preview's full decode has ended: the full picture takes its place.
void ShowArrivedPicture(frmShowTell& window);
// An animated picture's next frame, drawn where the picture is, at the zoom it is shown at.
void ShowNextFrame(frmShowTell& window);

} // namespace tovik
