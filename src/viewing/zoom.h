// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

namespace tovik {

class frmShowTell;

void ZoomIn(frmShowTell& window);
void ZoomOut(frmShowTell& window);
// Back to 1.0 through the same path as a zoom-in step.
void OriginalSize(frmShowTell& window);
// View, Fit to Window and the F key: fitting turned on or off, and the picture drawn so.
void FitToWindowCommand(frmShowTell& window);
// F11: full screen on or off; Escape: off.
void FullScreenCommand(frmShowTell& window);
void LeaveFullScreenCommand(frmShowTell& window);
// Fitting on or off, kept for the next run.
void setFitToWindow(frmShowTell& window, bool on);

} // namespace tovik
