// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QString>

namespace tovik {

class frmShowTell;

// F5: the shown picture read again from its file, whether or not it changed.
void ReloadCommand(frmShowTell& window);

// The watched folder or file changed: a list that follows its folder takes in the pictures that
// came and lets go of those that went; the shown picture is shown anew once it has changed, and
// one that went gives its place to the next (the previous at the end; none left, the viewer is
// cleared).
void DiskChanged(frmShowTell& window);

// Entry index leaves the list, and the entry then at its place is shown (the previous at the end;
// none left, the viewer is cleared).
void LeaveList(frmShowTell& window, qint32 index);

} // namespace tovik
