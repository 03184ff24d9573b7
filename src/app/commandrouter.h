// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QKeyCombination>
#include <QString>
#include <QStringList>

namespace tovik {

class frmShowTell;

// Where the main window sends every entry point: toolbar keys, menu items (by their names), the
// keyboard, the slide timer's tick and requests to close. The window knows no command; the
// router, built above the subsystems, decides what runs and whether it may run now.
class CommandRouter {
public:
    virtual ~CommandRouter() = default;
    virtual void toolbarKey(frmShowTell& window, const QString& key) = 0;
    virtual void menuItem(frmShowTell& window, const QString& name) = 0;
    // A key pressed in the window, with its modifiers; false when no command has it.
    virtual bool key(frmShowTell& window, QKeyCombination key) = 0;
    virtual void slideTick(frmShowTell& window) = 0;
    // The next frame of an animated picture is due.
    virtual void frameTick(frmShowTell& window) = 0;
    // A large photo shown from its preview is decoded whole.
    virtual void pictureArrived(frmShowTell& window) = 0;
    // An entry of the list chosen in the folder strip (from 1).
    virtual void entryChosen(frmShowTell& window, qint32 index) = 0;
    // Files named when the program started or dropped on the window.
    virtual void filesGiven(frmShowTell& window, const QStringList& paths) = 0;
    // The wheel over the picture with Ctrl held: +1 zooms in, -1 out.
    virtual void zoomWheel(frmShowTell& window, int direction) = 0;
    // False while work that must not be interrupted runs: the window then closes as soon as that
    // work has ended (see frmShowTell::closePending).
    virtual bool mayClose(frmShowTell& window) = 0;
    // Something changed in the watched folder, and writing has paused.
    virtual void diskChanged(frmShowTell& window) = 0;
};

} // namespace tovik
