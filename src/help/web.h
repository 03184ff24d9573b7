// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QString>

namespace tovik {

class frmShowTell;
class Shell;

// Hands an address to the shell, which opens it with the desktop's program for its scheme.
void OpenURL(Shell& shell, const QString& URL);

void Contents_Click(frmShowTell& window);
void HelpIndex_Click(frmShowTell& window);
void Mail_Click(frmShowTell& window);
void SiteOne_Click(frmShowTell& window);
void SiteTwo_Click(frmShowTell& window);

} // namespace tovik
