// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QString>

#include <optional>

namespace tovik {

// A file in the desktop's trash (freedesktop.org's shared trash layout), and where it came from.
struct TrashedFile {
    QString original; // its path before
    QString file;     // in the trash's files/
    QString info;     // its .trashinfo
};

// Moves the file into the trash of its own file system: the user's ($XDG_DATA_HOME/Trash) when
// it shares the home trash's file system, else $topdir/.Trash/$uid where the administrator made
// a sound .Trash, else $topdir/.Trash-$uid. The file is only ever renamed, never copied: one that
// cannot be (a read-only folder, a file system without a trash the user may make) stays where it
// is, with error saying why.
std::optional<TrashedFile> moveToTrash(const QString& path, QString* error);

// Puts a trashed file back where it was, unless something took its place meanwhile.
bool restoreFromTrash(const TrashedFile& trashed, QString* error);

} // namespace tovik
