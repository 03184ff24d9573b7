// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "viewing/slideshow.h"

#include "app/dialoglayout.h"
#include "app/frmshowtell.h"
#include "app/toolbarbutton.h"
#include "core/navigation.h"
#include "core/slideinterval.h"
#include "viewing/display.h"
#include "viewing/frmoptions.h"

namespace tovik {

void StartSlideShow(frmShowTell& window) {
    window.Timer1.setInterval(1); // the first slide follows at once
    window.Timer1.setEnabled(true);
    for (int index : {LeftArrowButton, RightArrowButton, ThumbnailButton})
        window.Toolbar1->setEnabled(index, false);
    ViewerState& s = window.state();
    if (s.CurrentIndex > s.PictureCount)
        s.CurrentIndex = 1;
}

void StopSlideShow(frmShowTell& window) {
    window.Timer1.setEnabled(false);
    window.Toolbar1->setEnabled(LeftArrowButton, true);
    window.Toolbar1->setEnabled(RightArrowButton, true);
    if (!window.sheetFileExists())
        window.Toolbar1->setEnabled(ThumbnailButton, true);
}

void ToggleLoop(frmShowTell& window) {
    ViewerState& s = window.state();
    s.LoopForever = !s.LoopForever;
    window.Toolbar1->setPressed(LoopForeverButton, s.LoopForever);
}

void SlideTick(frmShowTell& window) {
    ViewerState& s = window.state();
    const SlideStep step = slideStep(s.CurrentIndex, s.PictureCount, s.LoopForever);
    if (step.stop) {
        window.Timer1.setEnabled(false);
        return;
    }
    window.Timer1.setInterval(slidePeriodMs(s.SlideInterval));
    // A picture that cannot be shown says so here; the show goes on past it all the same.
    Display(window, s.PictureList(step.show));
    s.CurrentIndex = step.next;
    if (!step.ends) {
        const SlideStep coming = slideStep(s.CurrentIndex, s.PictureCount, s.LoopForever);
        if (!coming.stop && coming.show != step.show)
            window.picturesAhead.decodeAhead(s.PictureList(coming.show),
                                             window.imgThree.picture.sizeInBytes());
        return;
    }
    window.Timer1.setEnabled(false);
    window.Toolbar1->setEnabled(LeftArrowButton, true);
    window.Toolbar1->setEnabled(RightArrowButton, false);
}

void OptionCommand(frmShowTell& window) {
    frmOptions dialog(window);
    centreOnMainWindow(&dialog, window);
    dialog.exec();
}

} // namespace tovik
