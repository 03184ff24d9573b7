// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "viewing/display.h"

#include "app/frmshowtell.h"
#include "platform/pictures.h"

#include <QStatusBar>

namespace tovik {

namespace {
const QString InvalidTitle = QStringLiteral("Invalid Picture");
const QString InvalidText = QStringLiteral("Invalid Picture Format");
const QString TooLargeTitle = QStringLiteral("Picture Too Large");
const QString TooLargeText = QStringLiteral("The picture is too large to open (%1 x %2 pixels).");

// Reports a failed load as its kind asks; true when the picture can be shown.
bool acceptLoad(frmShowTell& window, const PictureLoad& load) {
    switch (load.error) {
    case PictureError::None:
        return true;
    case PictureError::Missing:
    case PictureError::NoRoom: // only a decode ahead is given less than the budget
        return false;
    case PictureError::NotAPicture:
        window.platform().messages.message(InvalidTitle, InvalidText);
        return false;
    case PictureError::TooLarge:
        window.platform().messages.message(
            TooLargeTitle, TooLargeText.arg(load.claimed.width()).arg(load.claimed.height()));
        return false;
    }
    return false;
}
} // namespace

void ShowNextFrame(frmShowTell& window) {
    if (!window.frames)
        return;
    const QImage frame = window.frames->next();
    if (frame.isNull() || frame.size() != window.imgThree.picture.size()) {
        window.stopAnimation(); // the file changed or broke: its last good frame stays
        return;
    }
    window.imgThree.picture = frame;
    window.imgOne->setFrame(frame);
    window.FrameTimer.start(window.frames->delayMs());
}

void Display(frmShowTell& window, const QString& FileName) {
    const bool sheet = FileName == window.platform().workFile(SheetFileName);
    window.SB1->showMessage(sheet ? SheetStatusText : FileName);
    const PictureLoad load = window.picturesAhead.take(FileName);
    if (!acceptLoad(window, load))
        return;
    window.imgThree = window.held(load.image);
    window.stopAnimation();
    if (load.animated) {
        window.frames = std::make_unique<PictureFrames>(FileName, load.delayMs);
        window.FrameTimer.start(window.frames->delayMs());
    }
    // The surface cannot be that large: once more at the picture's own size.
    if (window.redraw() == frmShowTell::Redraw::TooLarge && window.state().ZoomFactor != 1.0f) {
        window.state().ZoomFactor = 1.0f;
        window.redraw();
    }
}

} // namespace tovik
