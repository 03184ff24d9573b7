// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "app/commandrouter.h"

#include <QString>

#include <vector>

namespace tovik {

// The toolbar key table, the menu item table, the keyboard table and the slide timer's tick, and
// the one rule that keeps commands from running inside each other.
//
// A command runs to its end, its dialogs, message boxes and the sheet builder's pauses included,
// and these let window events through. Meanwhile a toolbar click, a menu item or a key does
// nothing (nothing is queued to run later), a slide tick is dropped (the show goes on one
// interval after the command), and a close request is kept until the command has stopped at its
// next safe point. So a command acts on what the user saw when choosing it.
class Dispatcher : public CommandRouter {
public:
    Dispatcher();

    void toolbarKey(frmShowTell& window, const QString& key) override;
    void menuItem(frmShowTell& window, const QString& name) override;
    bool key(frmShowTell& window, QKeyCombination key) override;
    void slideTick(frmShowTell& window) override;
    void frameTick(frmShowTell& window) override;
    void pictureArrived(frmShowTell& window) override;
    void entryChosen(frmShowTell& window, qint32 index) override;
    void filesGiven(frmShowTell& window, const QStringList& paths) override;
    void zoomWheel(frmShowTell& window, int direction) override;
    bool mayClose(frmShowTell& window) override;
    void diskChanged(frmShowTell& window) override;

private:
    using Command = void (*)(frmShowTell&);
    struct Entry {
        const char* name;
        Command command;
    };

    template <typename Work> void run(frmShowTell& window, Work work);
    void runNamed(frmShowTell& window, const std::vector<Entry>& table, const QString& name);

    struct KeyEntry {
        QKeyCombination key;
        Command command;
    };

    std::vector<Entry> m_toolbar;
    std::vector<Entry> m_menu;
    std::vector<KeyEntry> m_keys;
    bool m_running = false;
    bool m_tickDropped = false;
    bool m_frameDropped = false;
    bool m_arrivalDropped = false;
    bool m_changeDropped = false;
};

} // namespace tovik
