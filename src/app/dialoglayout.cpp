// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "app/dialoglayout.h"

#include "app/frmshowtell.h"
#include "core/rounding.h"

#include <QLabel>
#include <QWidget>

#include <algorithm>

namespace tovik {

void placeTwips(QWidget* control, double left, double top, double width, double height, double tppX,
                double tppY) {
    control->setGeometry(twipsToPixels(left, tppX), twipsToPixels(top, tppY),
                         twipsToPixels(width, tppX), twipsToPixels(height, tppY));
}

void placeLabelTwips(QLabel* label, double left, double top, double width, double height,
                     double tppX, double tppY) {
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    placeTwips(label, left, top, width, height, tppX, tppY);
    label->resize(label->width(), std::max(label->height(), label->heightForWidth(label->width())));
}

void sizeClientTwips(QWidget* dialog, double width, double height, double tppX, double tppY) {
    dialog->setFixedSize(twipsToPixels(width, tppX), twipsToPixels(height, tppY));
}

void centreOnMainWindow(QWidget* window, const frmShowTell& main) {
    const QRect outer = main.frameGeometry();
    QRect own = window->frameGeometry();
    if (!window->isVisible()) // no frame yet: it will get one like the main window's
        own.setSize(window->size() + (outer.size() - main.size()));
    const double tx = main.tppX(), ty = main.tppY();
    const float left = float(outer.x() * tx) + float((outer.width() - own.width()) * tx) / 2;
    const float top = float(outer.y() * ty) + float((outer.height() - own.height()) * ty) / 2;
    window->move(twipsToPixels(left, tx), twipsToPixels(top, ty));
}

} // namespace tovik

namespace tovik {

void useFormFont(QWidget* form) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.25);
    form->setFont(font);
}

} // namespace tovik
