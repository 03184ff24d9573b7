// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "thumbnails/thumbnailcommand.h"

#include "app/dialoglayout.h"
#include "app/frmshowtell.h"
#include "app/toolbarbutton.h"
#include "core/navigation.h"
#include "imaging/bitmap.h"
#include "imaging/pictures.h"
#include "thumbnails/frmthumboption.h"

#include <QScrollBar>
#include <QStatusBar>

namespace tovik {

namespace {
const QString SheetFailedTitle = QStringLiteral("Generate Thumbnails");
const QString SheetFailedText =
    QStringLiteral("The thumbnail sheet could not be saved as \"%1\": %2. It was not added to "
                   "the list.");

bool saveSheet(frmShowTell& window, const QString& path) {
    QString error;
    if (saveBitmap(window.imgThree.picture, 0, path, SafeFile::Kind::WorkFile, &error))
        return true;
    window.platform().messages.message(SheetFailedTitle, SheetFailedText.arg(path, error));
    return false;
}
} // namespace

void Thumbnail_Click(frmShowTell& window) {
    ViewerState& s = window.state();
    s.ZoomFactor = 1.0f;
    // What the screen shows now, to show again if the sheet cannot join the list.
    const PictureHolder shown = window.imgThree;
    const QString shownStatus = window.SB1->currentMessage();
    {
        frmThumbOption options(window);
        centreOnMainWindow(&options, window);
        options.exec();
    }
    if (s.DialogCancelled) {
        s.DialogCancelled = false;
        return;
    }
    // A new picture: shown from its top-left corner, whatever the last one was scrolled to.
    window.HScroll1->setValue(0);
    window.VScroll1->setValue(0);
    const QString sheet = window.platform().workFile(SheetFileName);
    if (!saveSheet(window, sheet)) {
        window.imgThree = shown;
        window.Form_Resize();
        window.SB1->showMessage(shownStatus);
        return;
    }
    window.Form_Resize();
    window.SB1->showMessage(SheetStatusText);
    s.appendPicture(sheet);
    s.CurrentIndex = s.PictureCount;
    ButtonBar& bar = *window.Toolbar1;
    for (int on : {ClockTimerButton, LoopForeverButton, LeftArrowButton})
        bar.setEnabled(on, true);
    bar.setEnabled(RightArrowButton, false);
    bar.setEnabled(ThumbnailButton, false);
    s.CurrentIndex = s.PictureCount + LastEntryMarker;
}

} // namespace tovik
