// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

namespace tovik {

class frmShowTell;

// Delete: the shown file into the desktop's trash, and the next picture shown; Undo puts it back.
void MoveToTrashCommand(frmShowTell& window);
// Shift+Delete: the shown file deleted for good, once the user has confirmed it.
void DeleteFileCommand(frmShowTell& window);
// Ctrl+Z: the latest turn, flip or trashing taken back; one that cannot be stays to be tried
// again, and says why.
void UndoCommand(frmShowTell& window);

} // namespace tovik
