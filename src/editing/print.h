// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

namespace tovik {

class frmShowTell;

// Ctrl+P: the print dialog, then the picture shown printed on one page, as large as the page
// holds it, centred, its sides in proportion, the page turned to suit it.
void PrintCommand(frmShowTell& window);

} // namespace tovik
