// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QColorSpace>
#include <QPointF>

namespace tovik {

// A colour space stated as chromaticities rather than an ICC profile (HEIF's nclx, JPEG XL's
// colour encoding). Invalid when it is sRGB already or unusable, so that the picture is left as
// decoded.
struct StatedPrimaries {
    QPointF white, red, green, blue;
    QColorSpace::TransferFunction transfer = QColorSpace::TransferFunction::SRgb;
    float gamma = 0;
};

QColorSpace colourSpaceOf(const StatedPrimaries& stated);

} // namespace tovik
