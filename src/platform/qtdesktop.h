// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "platform/desktop.h"

#include <QtGlobal>

namespace tovik {

// org.freedesktop.FileManager1 and org.freedesktop.ScreenSaver on the session bus. A hold still
// on when the program ends goes with its connection to the bus.
class QtDesktop : public Desktop {
public:
    bool showInFolder(const QString& path) override;
    void holdScreenAwake(bool on) override;

private:
    quint32 m_cookie = 0; // the screen saver's, while it is held off
    bool m_held = false;
};

} // namespace tovik
