// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QStringList>

namespace tovik {

struct ViewerState;

// Pictures in the order the user chose for folders (View, Sort By; by name at first).
// What it learns of each photo's date is kept in state, for the next time.
QStringList inChosenOrder(ViewerState& state, const QStringList& paths);

} // namespace tovik
