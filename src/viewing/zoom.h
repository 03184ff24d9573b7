// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

namespace tovik {

class frmShowTell;

void ZoomIn(frmShowTell& window);
void ZoomOut(frmShowTell& window);
// Back to 1.0 through the same path as a zoom-in step.
void OriginalSize(frmShowTell& window);

} // namespace tovik
