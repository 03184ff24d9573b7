// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "viewing/listorder.h"

#include "imaging/datetaken.h"
#include "settings/viewerstate.h"

#include <QFileInfo>

namespace tovik {

namespace {
FileFacts factsOf(ViewerState& state, const QString& path, SortKey key) {
    const QFileInfo file(path);
    FileFacts facts;
    facts.modifiedMs = file.lastModified().toMSecsSinceEpoch();
    facts.size = file.size();
    if (key != SortKey::DateTaken)
        return facts;
    const QString known =
        path + '\n' + QString::number(facts.size) + '\n' + QString::number(facts.modifiedMs);
    const auto taken = state.DatesTaken.constFind(known);
    facts.takenMs = taken != state.DatesTaken.cend() ? *taken : dateTakenMs(path);
    state.DatesTaken.insert(known, facts.takenMs);
    return facts;
}
} // namespace

QStringList inChosenOrder(ViewerState& state, const QStringList& paths) {
    const SortKey key = state.Sort.key;
    return sortedPaths(paths, state.Sort,
                       [&](const QString& path) { return factsOf(state, path, key); });
}

} // namespace tovik
