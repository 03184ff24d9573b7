// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <algorithm>
#include <functional>

namespace tovik::bench {

// The best of a few runs, in milliseconds: the least disturbed by the other core's work.
inline double bestMs(int runs, const std::function<void()>& work) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

// Peak resident memory of this process so far, in bytes (0 where the system does not say).
qint64 peakResidentBytes();
qint64 residentBytes();

// A photo-like JPEG of width x height: gradients and noise, so it compresses like a photo.
QByteArray makePhotoJpeg(int width, int height, int quality);

void printRatio(const char* what, double ours, double reference, const char* unit = "ms");

} // namespace tovik::bench
