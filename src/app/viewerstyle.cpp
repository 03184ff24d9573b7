// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "app/viewerstyle.h"

#include "app/artwork.h"

namespace tovik {

QIcon ViewerStyle::standardIcon(StandardPixmap which, const QStyleOption* option,
                                const QWidget* widget) const {
    switch (which) {
    case SP_ToolBarHorizontalExtensionButton:
        return overflowPicture(true);
    case SP_ToolBarVerticalExtensionButton:
        return overflowPicture(false);
    default:
        return QProxyStyle::standardIcon(which, option, widget);
    }
}

} // namespace tovik
