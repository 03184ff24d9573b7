// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

namespace tovik {

class frmShowTell;

// Ctrl+C: the picture shown onto the clipboard, as a picture (image/png) and, when it is a file of
// the list, as that file (text/uri-list, and GNOME's file manager's own form) for pasting into a
// folder.
void CopyCommand(frmShowTell& window);
// Ctrl+Shift+C: the shown file's path as text.
void CopyPathCommand(frmShowTell& window);
// The file manager opened on the shown file; without one that answers, its folder opened.
void ShowInFolderCommand(frmShowTell& window);

} // namespace tovik
