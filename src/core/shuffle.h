// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QtGlobal>

#include <functional>
#include <vector>

namespace tovik {

// A shuffled slide show's lap: every entry of the list (1 to count) once, in random order, the
// first of them not the one shown last (unless it is the only one), so that no picture shows
// twice running. random(n) gives a whole number from 0 to n - 1.
std::vector<qint32> shuffledLap(qint32 count, qint32 shownLast,
                                const std::function<quint32(quint32)>& random);

} // namespace tovik
