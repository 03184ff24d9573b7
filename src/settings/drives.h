// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "core/placement.h"
#include "settings/viewerstate.h"

#include <QString>

namespace tovik {

inline const QString SettingsFileName = QStringLiteral("viewer.ini");

// The main window as it is now: what lines 7 to 11 of the file store.
struct LivePlacement {
    TwipRect rect;
    qint32 state = 0;
};

// What a read falls back to: the screen, and the window's size while it loads.
struct SettingsDefaultsContext {
    ScreenGeometry screen;
    double windowWidth = 0, windowHeight = 0;
};

SettingsValues defaultSettings(const SettingsDefaultsContext& context);

// Fills the eleven settings values of state from the file at iniPath. A file that is missing,
// unreadable, short or bad gives every value its default and is written anew from live.
// Returns whether the file was read.
bool ReadSettings(ViewerState& state, const QString& iniPath,
                  const SettingsDefaultsContext& context, const LivePlacement& live);

// Writes the file from state's settings and the live placement, through a temporary file that
// replaces the old one only once it is complete and on disk. Returns whether it was written;
// error, when given, then holds the system's reason.
bool WriteSettings(const ViewerState& state, const QString& iniPath, const LivePlacement& live,
                   QString* error = nullptr);

// A choice that is on or off (pictures fitted to the window, the folder strip), each kept in a
// file of its own beside viewer.ini so that viewer.ini stays as it is: "1" on, anything else or
// no file off.
inline const QString FitFileName = QStringLiteral("fit-to-window");
inline const QString StripFileName = QStringLiteral("folder-strip");
bool ReadSwitch(const QString& path);
bool WriteSwitch(bool on, const QString& path);
// The order chosen for folders' pictures (see core/sortorder), beside viewer.ini; by name when
// the file is missing or unreadable.
inline const QString SortFileName = QStringLiteral("sort-order");
SortOrder ReadSortOrder(const QString& path);
bool WriteSortOrder(SortOrder order, const QString& path);

} // namespace tovik
