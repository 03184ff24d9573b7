// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "viewing/reload.h"

#include "app/frmshowtell.h"
#include "core/folderlist.h"
#include "platform/filestamp.h"
#include "viewing/display.h"
#include "viewing/listorder.h"
#include "viewing/navigation.h"

#include <QDir>

namespace tovik {

namespace {
// The list made anew from its folder in natural order, the sheet kept last; the shown entry
// keeps its picture where it is still there.
void followFolder(frmShowTell& window) {
    ViewerState& s = window.state();
    const QDir folder(s.ListFolder);
    QStringList paths;
    for (const QString& name : picturesAmong(folder.entryList(QDir::Files | QDir::Readable)))
        paths << folder.absoluteFilePath(name);
    paths = inChosenOrder(s, paths);
    const QString sheet = window.platform().workFile(SheetFileName);
    if (s.PictureList(s.PictureCount) == sheet)
        paths << sheet;
    const QString shown = window.shownFile();
    const qint32 shownAt = qint32(paths.indexOf(shown)) + 1;
    if (shownAt == 0)
        return; // the sheet is shown, or the picture went meanwhile: the next change sees it
    s.setPictureList(paths);
    s.CurrentIndex = shownAt + 1;
}
} // namespace

void ReloadCommand(frmShowTell& window) {
    const QString shown = window.shownFile();
    if (shown.isEmpty())
        return;
    if (fileStamp(shown).isEmpty())
        LeaveList(window, window.state().CurrentIndex - 1);
    else
        Display(window, shown);
}

void LeaveList(frmShowTell& window, qint32 index) {
    ViewerState& s = window.state();
    s.removePicture(index);
    if (s.PictureCount == 0) {
        ResetViewer(window);
        return;
    }
    ShowEntry(window, std::min(index, s.PictureCount));
}

void DiskChanged(frmShowTell& window) {
    const QString gone = window.shownFile();
    if (!gone.isEmpty() && fileStamp(gone).isEmpty())
        LeaveList(window, window.state().CurrentIndex - 1);
    if (!window.state().ListFolder.isEmpty())
        followFolder(window);
    const QString shown = window.shownFile();
    if (!shown.isEmpty() && fileStamp(shown) != window.shownStamp)
        ShowAgain(window, shown);
}

} // namespace tovik
