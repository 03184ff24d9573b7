// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QString>

namespace tovik {

class frmShowTell;

// Save As: the shown picture, at its shown size, as a bitmap or a JPEG by the last three letters
// of the chosen name.
void SaveAs_Click(frmShowTell& window);

// The two ways of writing the shown picture once the name (and the quality) are known: the
// bitmap directly, the JPEG through the scratch bitmap and the JPEG library. A failure is
// reported with one message naming the file; false then.
bool saveShownAsBitmap(frmShowTell& window, const QString& name);
bool saveShownAsJpeg(frmShowTell& window, const QString& name);

} // namespace tovik
