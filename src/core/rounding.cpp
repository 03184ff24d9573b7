// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "core/rounding.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace tovik {

double roundHalfEven(double value) {
    // nearbyint honours the current rounding mode, which the program never changes from
    // FE_TONEAREST (round half to even).
    return std::nearbyint(value);
}

namespace {
template <typename T> std::optional<T> toRange(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    const double r = roundHalfEven(value);
    if (r < double(std::numeric_limits<T>::min()) || r > double(std::numeric_limits<T>::max()))
        return std::nullopt;
    return T(r);
}
} // namespace

std::optional<qint32> toLong(double value) {
    return toRange<qint32>(value);
}
std::optional<qint16> toInteger(double value) {
    return toRange<qint16>(value);
}

qint32 roundToLong(double value) {
    if (std::isnan(value))
        return 0;
    const double r = roundHalfEven(value);
    constexpr double lo = std::numeric_limits<qint32>::min();
    constexpr double hi = std::numeric_limits<qint32>::max();
    return qint32(r < lo ? lo : (r > hi ? hi : r));
}

double twipsPerPixel(double logicalDpi) {
    return logicalDpi > 0 ? TwipsPerInch / logicalDpi : 15.0;
}

int twipsToPixels(double twips, double tpp) {
    return roundToLong(twips / tpp);
}

} // namespace tovik
