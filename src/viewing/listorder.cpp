// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "viewing/listorder.h"

#include "imaging/datetaken.h"
#include "settings/viewerstate.h"

#include <QFileInfo>

namespace tovik {

namespace {
FileFacts factsOf(const QString& path, SortKey key) {
    const QFileInfo file(path);
    FileFacts facts;
    facts.modifiedMs = file.lastModified().toMSecsSinceEpoch();
    facts.size = file.size();
    if (key == SortKey::DateTaken)
        facts.takenMs = dateTakenMs(path);
    return facts;
}
} // namespace

QStringList inChosenOrder(const ViewerState& state, const QStringList& paths) {
    const SortOrder order = state.Sort;
    return sortedPaths(paths, order, [&](const QString& path) { return factsOf(path, order.key); });
}

} // namespace tovik
