// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "viewing/strip.h"

#include "app/frmshowtell.h"

namespace tovik {

void FolderStripCommand(frmShowTell& window) {
    ViewerState& s = window.state();
    s.ShowStrip = !s.ShowStrip;
    // A failure costs only the next run's choice.
    WriteSwitch(s.ShowStrip, window.platform().appFile(StripFileName));
    window.setStripShown(s.ShowStrip);
}

} // namespace tovik
