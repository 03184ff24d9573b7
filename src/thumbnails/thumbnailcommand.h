// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

namespace tovik {

class frmShowTell;

// Tools, Generate Thumbnails: the options, the sheet of the whole list, shown at zoom 1, saved
// as tempnail.bmp beside the program and appended to the list as its last frame.
void Thumbnail_Click(frmShowTell& window);

} // namespace tovik
