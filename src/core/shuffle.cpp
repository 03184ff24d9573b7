// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "core/shuffle.h"

#include <numeric>
#include <utility>

namespace tovik {

std::vector<qint32> shuffledLap(qint32 count, qint32 shownLast,
                                const std::function<quint32(quint32)>& random) {
    std::vector<qint32> lap(size_t(std::max<qint32>(count, 0)));
    std::iota(lap.begin(), lap.end(), 1);
    for (size_t i = lap.size(); i > 1; --i) // Fisher and Yates
        std::swap(lap[i - 1], lap[random(quint32(i))]);
    if (lap.size() > 1 && lap.front() == shownLast)
        std::swap(lap.front(), lap[1 + random(quint32(lap.size() - 1))]);
    return lap;
}

} // namespace tovik
