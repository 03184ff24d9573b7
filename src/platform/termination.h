// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

class QWidget;

namespace tovik {

// When the process is told to end (SIGTERM, as a desktop session does at logout, or SIGINT from
// a terminal), the window is asked to close as its close box asks it: a running command ends at
// its next safe point, and the settings are saved as at Exit. Called once, with the main window.
void closeOnTermination(QWidget* window);

} // namespace tovik
