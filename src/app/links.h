// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QString>

namespace tovik {

// The Help menu's links, in one place: captions and the addresses handed to the shell.
inline const QString MailCaption = QStringLiteral("&Mail the Maintainers...");
inline const QString MailAddress = QStringLiteral("mailto:tovik-viewer@lists.debian.org");
inline const QString SiteOneCaption = QStringLiteral("The &Qt Project");
inline const QString SiteOneAddress = QStringLiteral("https://www.qt.io/");
inline const QString SiteTwoCaption = QStringLiteral("&libjpeg-turbo");
inline const QString SiteTwoAddress = QStringLiteral("https://libjpeg-turbo.org/");

} // namespace tovik
