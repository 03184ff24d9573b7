// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "platform/screenmetrics.h"

namespace tovik {

class QtScreenMetrics : public ScreenMetrics {
public:
    ScreenGeometry geometry() const override;
};

} // namespace tovik
