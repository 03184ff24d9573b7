#pragma once

#include "platform/screenmetrics.h"

namespace tovik {

class QtScreenMetrics : public ScreenMetrics {
public:
    ScreenGeometry geometry() const override;
};

} // namespace tovik
