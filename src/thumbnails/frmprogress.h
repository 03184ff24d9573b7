// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QDialog>

class QProgressBar;

namespace tovik {

class frmShowTell;

// "Building Thumbnails...": a progress bar from 0 to 100, shown while the sheet is built.
class frmProgress : public QDialog {
    Q_OBJECT
public:
    explicit frmProgress(frmShowTell& main);

    QProgressBar* PB1 = nullptr;
    // Its close box (or Escape) was used: the build stops at its next safe point, which hides
    // this window; until then it stays as it is, so that no window manager sees it vanish and
    // come back.
    bool closeAsked = false;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
};

} // namespace tovik
