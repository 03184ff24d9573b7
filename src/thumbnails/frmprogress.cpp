// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "thumbnails/frmprogress.h"

#include "app/dialoglayout.h"
#include "app/frmshowtell.h"

#include <QCloseEvent>
#include <QProgressBar>

namespace tovik {

frmProgress::frmProgress(frmShowTell& main)
    : QDialog(&main, Qt::Tool | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(QStringLiteral("Building Thumbnails..."));
    useFormFont(this);
    sizeClientTwips(this, 4680, 645, main.tppX(), main.tppY());
    PB1 = new QProgressBar(this);
    PB1->setRange(0, 100);
    PB1->setTextVisible(false);
    placeTwips(PB1, 240, 180, 4275, 255, main.tppX(), main.tppY());
    centreOnMainWindow(this, main);
}

void frmProgress::closeEvent(QCloseEvent* event) {
    closeAsked = true;
    event->ignore();
}

void frmProgress::reject() {
    closeAsked = true;
}

} // namespace tovik
