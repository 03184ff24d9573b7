// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QProxyStyle>

namespace tovik {

// The desktop's own style, but for the overflow marks of menu and tool bars, which are drawn
// here. The style's own are PNG files, and the first file Qt reads without being told its format
// makes it load every image plugin on the system to ask each whether it reads it: a menu bar
// would cost the start some ten milliseconds before the first picture is on screen.
class ViewerStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

} // namespace tovik
