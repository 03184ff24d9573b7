// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "viewing/sorting.h"

#include "app/frmshowtell.h"
#include "settings/drives.h"
#include "viewing/listorder.h"
#include "viewing/navigation.h"

namespace tovik {

namespace {
// The list open now put in the order chosen, the sheet kept last and the shown picture shown.
void sortOpenList(frmShowTell& window) {
    ViewerState& s = window.state();
    if (s.PictureCount < 2)
        return;
    const QString sheet = window.platform().workFile(SheetFileName);
    const QString shown = s.PictureList(s.CurrentIndex - 1);
    QStringList paths;
    for (qint32 i = 1; i <= s.PictureCount; ++i)
        if (s.PictureList(i) != sheet)
            paths << s.PictureList(i);
    const bool withSheet = paths.size() < s.PictureCount;
    paths = inChosenOrder(s, paths);
    if (withSheet)
        paths << sheet;
    s.setPictureList(paths);
    ShowEntry(window, qint32(paths.indexOf(shown)) + 1);
}

void choose(frmShowTell& window, SortOrder order) {
    window.state().Sort = order;
    WriteSortOrder(order, window.platform().appFile(SortFileName));
    sortOpenList(window);
}
} // namespace

void SortCommand(frmShowTell& window, SortKey key) {
    choose(window, {key, window.state().Sort.reverse});
}

void ReverseOrderCommand(frmShowTell& window) {
    const SortOrder now = window.state().Sort;
    choose(window, {now.key, !now.reverse});
}

} // namespace tovik
