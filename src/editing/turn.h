// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "core/orientations.h"

namespace tovik {

class frmShowTell;

// The shown picture's file turned or flipped as asked, without loss, and the step kept for Undo;
// a picture that cannot be says why. True when the file changed: it is then to be shown again.
bool TurnShownPicture(frmShowTell& window, Turn turn);

} // namespace tovik
