// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QString>

namespace tovik {

// Shows the program's help file at its contents or at its index, in a window of its own owned
// by the main window, without waiting. A missing file is reported in that window.
class HelpEngine {
public:
    virtual ~HelpEngine() = default;
    virtual void showContents(const QString& helpFile) = 0;
    virtual void showIndex(const QString& helpFile) = 0;
};

// Opens a web or mail address with the desktop's own program for it.
class Shell {
public:
    virtual ~Shell() = default;
    virtual void open(const QString& address) = 0;
};

} // namespace tovik
