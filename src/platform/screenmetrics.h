// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "core/placement.h"

namespace tovik {

// The screens' sizes in twips and the twips per pixel of each axis.
class ScreenMetrics {
public:
    virtual ~ScreenMetrics() = default;
    virtual ScreenGeometry geometry() const = 0;
};

} // namespace tovik
