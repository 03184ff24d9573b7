#include "viewing/slideshow.h"

#include "app/dialoglayout.h"
#include "app/frmshowtell.h"
#include "core/navigation.h"
#include "core/slideinterval.h"
#include "viewing/display.h"
#include "viewing/frmoptions.h"

namespace tovik {

namespace {
constexpr int ClockTimer = 4, LoopButton = 5, LeftArrow = 7, RightArrow = 8, ThumbnailButton = 14;
}

void StartSlideShow(frmShowTell& window) {
    window.Timer1.setInterval(1); // the first slide follows at once
    window.Timer1.setEnabled(true);
    window.Toolbar1->setPressed(ClockTimer, true);
    for (int index : {LeftArrow, RightArrow, ThumbnailButton})
        window.Toolbar1->setEnabled(index, false);
    ViewerState& s = window.state();
    if (s.CurrentIndex > s.PictureCount)
        s.CurrentIndex = 1;
}

void StopSlideShow(frmShowTell& window) {
    window.Timer1.setEnabled(false);
    window.Toolbar1->setPressed(ClockTimer, false);
    window.Toolbar1->setEnabled(LeftArrow, true);
    window.Toolbar1->setEnabled(RightArrow, true);
    if (!window.sheetFileExists())
        window.Toolbar1->setEnabled(ThumbnailButton, true);
}

void ToggleLoop(frmShowTell& window) {
    ViewerState& s = window.state();
    s.LoopForever = !s.LoopForever;
    window.Toolbar1->setPressed(LoopButton, s.LoopForever);
}

void SlideTick(frmShowTell& window) {
    ViewerState& s = window.state();
    if (s.CurrentIndex == 0) {
        window.Timer1.setEnabled(false);
        window.Toolbar1->setPressed(ClockTimer, false);
        return;
    }
    if (s.CurrentIndex > s.PictureCount)
        s.CurrentIndex = 1;
    window.Timer1.setInterval(slidePeriodMs(s.SlideInterval));
    Display(window, s.PictureList(s.CurrentIndex));
    if (s.CurrentIndex != s.PictureCount) {
        s.CurrentIndex += 1;
        return;
    }
    if (s.LoopForever) {
        s.CurrentIndex = 1;
        return;
    }
    s.CurrentIndex = s.PictureCount + LastEntryMarker;
    window.Timer1.setEnabled(false);
    window.Toolbar1->setPressed(ClockTimer, false);
    window.Toolbar1->setEnabled(LeftArrow, true);
    window.Toolbar1->setEnabled(RightArrow, false);
}

void OptionCommand(frmShowTell& window) {
    frmOptions dialog(window);
    centreOnMainWindow(&dialog, window);
    dialog.exec();
}

} // namespace tovik
