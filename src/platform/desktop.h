// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QString>

namespace tovik {

// What the desktop session offers over its bus. Both are courtesies: with no session bus, or
// one that does not answer within a second, nothing happens and nothing is said.
class Desktop {
public:
    virtual ~Desktop() = default;
    // Opens the file manager on the file, selected; false when no file manager took it.
    virtual bool showInFolder(const QString& path) = 0;
    // Holds the screen saver off while on; off lets it go. Asking twice for the same changes
    // nothing.
    virtual void holdScreenAwake(bool on) = 0;
};

} // namespace tovik
