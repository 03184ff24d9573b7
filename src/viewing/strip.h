// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

namespace tovik {

class frmShowTell;

// View, Folder Strip and Ctrl+F9: the strip shown or hidden, kept for the next run.
void FolderStripCommand(frmShowTell& window);

} // namespace tovik
