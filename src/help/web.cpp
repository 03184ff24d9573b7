// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "help/web.h"

#include "app/frmshowtell.h"
#include "app/links.h"

namespace tovik {

void OpenURL(Shell& shell, const QString& URL) {
    shell.open(URL);
}

// The help file's path is built afresh on each use.
void Contents_Click(frmShowTell& window) {
    window.platform().help.showContents(window.platform().helpFile());
}

void HelpIndex_Click(frmShowTell& window) {
    window.platform().help.showIndex(window.platform().helpFile());
}

void Mail_Click(frmShowTell& window) {
    OpenURL(window.platform().shell, MailAddress);
}
void SiteOne_Click(frmShowTell& window) {
    OpenURL(window.platform().shell, SiteOneAddress);
}
void SiteTwo_Click(frmShowTell& window) {
    OpenURL(window.platform().shell, SiteTwoAddress);
}

} // namespace tovik
