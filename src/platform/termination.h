// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

class QWidget;

namespace tovik {

// When the process is told to end (SIGTERM, as a desktop session does at logout, or SIGINT from
// a terminal), every dialog and message box open is closed as cancelled, and so is any opened
// after it, and the window is asked to close as its close box asks it: a running command ends at
// its next safe point, and the settings are saved as at Exit. Told again once the window has
// closed, the application quits. Called once, with the main window.
void closeOnTermination(QWidget* window);

} // namespace tovik
