// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QString>
#include <QStringList>

namespace tovik {

// The files of a folder whose names are no text in the system's encoding (a name written as
// Latin-1 bytes where names are UTF-8): Qt cannot give such a name back to the system, so they
// cannot be opened. Each as it would show, its stray bytes as replacement characters.
QStringList namesThatCannotBeOpened(const QString& folder);

} // namespace tovik
