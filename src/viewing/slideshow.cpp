// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "viewing/slideshow.h"

#include "app/dialoglayout.h"
#include "app/frmshowtell.h"
#include "app/toolbarbutton.h"
#include "core/navigation.h"
#include "core/shuffle.h"
#include "core/slideinterval.h"
#include "viewing/display.h"
#include "viewing/frmoptions.h"

#include <QRandomGenerator>

namespace tovik {

void StartSlideShow(frmShowTell& window) {
    window.Timer1.setInterval(1); // the first slide follows at once
    window.Timer1.setEnabled(true);
    for (int index : {LeftArrowButton, RightArrowButton, ThumbnailButton})
        window.Toolbar1->setEnabled(index, false);
    ViewerState& s = window.state();
    // A show in order that starts past the last entry begins at the first; a shuffled one keeps
    // the entry shown, so that its first lap does not begin with the picture on screen.
    if (s.CurrentIndex > s.PictureCount && !s.Shuffle)
        s.CurrentIndex = 1;
    s.ShuffleLap.clear(); // a shuffled show starts a lap of its own
    s.ShuffleShown = 0;
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

namespace {
// The end of a shuffled show that does not loop: stopped on the last picture of its lap, the
// arrows usable where there is somewhere to go.
void endShuffledShow(frmShowTell& window) {
    const ViewerState& s = window.state();
    StopSlideShow(window);
    window.Toolbar1->setEnabled(LeftArrowButton, s.CurrentIndex - 1 > 1);
    window.Toolbar1->setEnabled(RightArrowButton, s.CurrentIndex - 1 < s.PictureCount);
}

// A shuffled show's tick: the next entry of its lap, each entry once a lap; a new lap when one
// has ended and the show loops (or none has begun).
void ShuffledTick(frmShowTell& window) {
    ViewerState& s = window.state();
    const bool lapEnded = !s.ShuffleLap.empty() && s.ShuffleShown >= s.ShuffleLap.size();
    if (lapEnded && !s.LoopForever)
        return endShuffledShow(window);
    if (s.ShuffleLap.empty() || lapEnded || s.ShuffleLap.size() != size_t(s.PictureCount)) {
        s.ShuffleLap = shuffledLap(s.PictureCount, s.CurrentIndex - 1, [](quint32 n) {
            return QRandomGenerator::global()->bounded(n);
        });
        s.ShuffleShown = 0;
    }
    if (s.ShuffleLap.empty())
        return window.Timer1.setEnabled(false);
    window.Timer1.setInterval(slidePeriodMs(s.SlideInterval));
    const qint32 entry = s.ShuffleLap[s.ShuffleShown++];
    Display(window, s.PictureList(entry));
    s.CurrentIndex = entry + 1;
    if (s.ShuffleShown < s.ShuffleLap.size())
        window.picturesAhead.decodeAhead(s.PictureList(s.ShuffleLap[s.ShuffleShown]),
                                         window.imgThree.picture.sizeInBytes());
}
} // namespace

void ShuffleCommand(frmShowTell& window) {
    ViewerState& s = window.state();
    s.Shuffle = !s.Shuffle;
    s.ShuffleLap.clear();
    s.ShuffleShown = 0;
}

void SlideTick(frmShowTell& window) {
    ViewerState& s = window.state();
    if (s.Shuffle)
        return ShuffledTick(window);
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
