// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "core/sortorder.h"

#include <QStringList>

namespace tovik {

class frmShowTell;

// View, Sort By: the order chosen, kept beside viewer.ini, and the list open now put in it (the
// picture shown stays on screen, the sheet stays last). A list picked in the Open dialog keeps
// the dialog's order until a sort is chosen; a folder's pictures always come in the order chosen.
void SortCommand(frmShowTell& window, SortKey key);
void ReverseOrderCommand(frmShowTell& window);

} // namespace tovik
