// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

namespace tovik {

// The main window's toolbar buttons by their 1-based index; 3, 6, 9 and 13 are separators.
enum ToolbarButton : int {
    OpenButton = 1,
    SaveAsButton = 2,
    ClockTimerButton = 4,
    LoopForeverButton = 5,
    LeftArrowButton = 7,
    RightArrowButton = 8,
    ZoomPlusButton = 10,
    ZoomMinusButton = 11,
    ZoomEqualButton = 12,
    ThumbnailButton = 14,
};

// Every button but Open: off at start and after the viewer is reset.
inline constexpr ToolbarButton ButtonsNeedingAPicture[] = {
    SaveAsButton,   ClockTimerButton, LoopForeverButton, LeftArrowButton, RightArrowButton,
    ZoomPlusButton, ZoomMinusButton,  ZoomEqualButton,   ThumbnailButton,
};

} // namespace tovik
