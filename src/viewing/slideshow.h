// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

namespace tovik {

class frmShowTell;

void StartSlideShow(frmShowTell& window);
void StopSlideShow(frmShowTell& window);
void ToggleLoop(frmShowTell& window);
// Timer1's tick: the next entry, and at the end of the list either the first again or the end;
// shuffled, the next of the lap's random order, and at its end a new lap or the end.
void SlideTick(frmShowTell& window);
// Tools, Shuffle: the slide show in random order, no picture twice in a lap; or in order again.
void ShuffleCommand(frmShowTell& window);
// Tools, Set Timer: the interval dialog, modal, centred on the main window.
void OptionCommand(frmShowTell& window);

} // namespace tovik
