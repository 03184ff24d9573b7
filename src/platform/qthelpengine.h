// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "platform/helpengine.h"

#include <QPointer>
#include <QWidget>

class QTextBrowser;

namespace tovik {

// The help window: the HTML help file in a text browser, owned by the main window, not modal.
class QtHelpEngine : public HelpEngine {
public:
    void setOwner(QWidget* owner) { m_owner = owner; }
    void showContents(const QString& helpFile) override { show(helpFile, "contents"); }
    void showIndex(const QString& helpFile) override { show(helpFile, "index"); }

private:
    void show(const QString& helpFile, const char* anchor);
    QPointer<QWidget> m_owner;
    QPointer<QWidget> m_window;
    QPointer<QTextBrowser> m_browser;
};

class QtShell : public Shell {
public:
    void open(const QString& address) override;
};

} // namespace tovik
