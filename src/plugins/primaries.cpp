// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "plugins/primaries.h"

namespace tovik {

QColorSpace colourSpaceOf(const StatedPrimaries& stated) {
    QColorSpace space(stated.white, stated.red, stated.green, stated.blue, stated.transfer,
                      stated.gamma);
    if (!space.isValid() || space == QColorSpace(QColorSpace::SRgb))
        return {};
    return space;
}

} // namespace tovik
