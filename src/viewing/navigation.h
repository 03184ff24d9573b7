// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QStringList>
#include <QtGlobal>

namespace tovik {

class frmShowTell;
struct ViewerState;

// The Open command: the dialog, and unless it was cancelled a new list from its answer.
void OpenCommand(frmShowTell& window);
// Split: PictureList and PictureCount from SelectedFiles.
void BuildPictureList(ViewerState& state);
// Shows the list from its entry first on.
void StartViewing(frmShowTell& window, qint32 first = 1);
// The only way to step through the list by hand: -1 back, anything else forward.
void ShowPicture(frmShowTell& window, qint32 Direction);
// Shows entry index of the list (the first, the last), as a step onto it would.
void ShowEntry(frmShowTell& window, qint32 index);
// The only way to clear the viewer: no list, no picture, only "Open" usable.
void ResetViewer(frmShowTell& window);
void CloseFileCommand(frmShowTell& window);

// Pictures handed over from outside (named at start, dropped on the window): the same new list
// as the Open dialog's answer, in the order given. A folder stands for its pictures; a file named
// alone brings the pictures of its folder with it, in natural order, and shows first. Names that
// are no readable file nor a folder with pictures are left out and named in one message; when
// none is left nothing changes.
void OpenFiles(frmShowTell& window, const QStringList& paths);

} // namespace tovik
