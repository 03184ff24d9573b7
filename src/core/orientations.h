// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

namespace tovik {

// What the user asks of the picture they see.
enum class Turn { Clockwise, CounterClockwise, FlipHorizontal, FlipVertical };

// The turn that takes a turned picture back.
Turn undoing(Turn turn);

// EXIF orientations (1 to 8) say how a picture's stored pixels are shown. The orientation a
// picture shown as orientation says is given once it is turned as asked: the user turns what
// they see, not what is stored. Any value outside 1 to 8 is taken as 1, as readers take it.
int turnedOrientation(int orientation, Turn turn);

} // namespace tovik
