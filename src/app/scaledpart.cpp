// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "app/scaledpart.h"

#include <QThread>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <cmath>
#include <vector>

namespace tovik {

namespace {
// Weights are fixed point: 1 << WeightBits is a whole source pixel.
constexpr int WeightBits = 14;
constexpr int One = 1 << WeightBits;

// Which source pixels make output pixels first..last-1 along one axis, and with what weights.
struct AxisTaps {
    std::vector<int> from;        // first source index of each output pixel
    std::vector<int> count;       // how many source pixels follow it
    std::vector<size_t> first;    // where each output pixel's weights start
    std::vector<quint32> weights; // count weights per output pixel, summing to One, end to end
    int lowest = 0, highest = 0;  // the source span all the taps read, highest excluded
};

void addEnlargingTaps(AxisTaps& taps, int source, double scale, int at) {
    // Pixel centres line up: output centre at + 0.5 sits on source position (at + 0.5) / scale.
    const double position = (at + 0.5) / scale - 0.5;
    const int left = int(std::floor(position));
    if (left < 0 || left >= source - 1) {
        taps.from.push_back(std::clamp(left, 0, source - 1));
        taps.count.push_back(1);
        taps.weights.push_back(One);
        return;
    }
    const auto right = quint32((position - left) * One);
    taps.from.push_back(left);
    taps.count.push_back(2);
    taps.weights.insert(taps.weights.end(), {One - right, right});
}

void addShrinkingTaps(AxisTaps& taps, int source, double scale, int at) {
    // The output pixel covers source span [start, end); each source pixel weighs its overlap.
    const double start = at / scale, end = std::min<double>(source, (at + 1) / scale);
    const int first = int(start);
    const int last = std::max(first + 1, int(std::ceil(end)));
    const double perSource = One / (end - start);
    taps.from.push_back(first);
    taps.count.push_back(last - first);
    quint32 given = 0;
    for (int i = first; i < last - 1; ++i) {
        const double overlap = std::min<double>(end, i + 1) - std::max<double>(start, i);
        const auto weight = quint32(std::max(0.0, overlap) * perSource);
        taps.weights.push_back(weight);
        given += weight;
    }
    taps.weights.push_back(One - given); // the last takes the rounding, so the sum is exact
}

AxisTaps axisTaps(int source, int target, int first, int last) {
    AxisTaps taps;
    const double scale = double(target) / source;
    for (int at = first; at < last; ++at) {
        if (target >= source)
            addEnlargingTaps(taps, source, scale, at);
        else
            addShrinkingTaps(taps, source, scale, at);
    }
    taps.lowest = taps.from.front();
    size_t weight = 0;
    for (size_t i = 0; i < taps.from.size(); ++i) {
        taps.highest = std::max(taps.highest, taps.from[i] + taps.count[i]);
        taps.first.push_back(weight);
        weight += size_t(taps.count[i]);
    }
    return taps;
}

// Adds weight times one source row's span to the column sums, channel by channel. The plainest
// loop is the one the compiler turns into vector instructions.
void accumulateRow(const uchar* row, int channels, quint32 weight, quint32* sum) {
    for (int i = 0; i < channels; ++i)
        sum[i] += weight * row[i];
}

// Column sums (channels weighted to One << 8) into one output row. Each channel is truncated,
// as Qt's smooth scaling does, so the screen shows what Save As writes to within a level or two.
void resolveRow(const quint32* sum, const AxisTaps& x, uchar* out) {
    const quint32* weight = x.weights.data();
    for (size_t i = 0; i < x.from.size(); ++i) {
        quint32 channel[4] = {0, 0, 0, 0};
        const quint32* pixel = sum + (x.from[i] - x.lowest) * 4;
        for (int t = 0; t < x.count[i]; ++t, ++weight, pixel += 4)
            for (int c = 0; c < 4; ++c)
                channel[c] += *weight * (pixel[c] >> (WeightBits - 8));
        for (int c = 0; c < 4; ++c)
            out[i * 4 + c] = uchar(std::min<quint32>(255, channel[c] >> (WeightBits + 8)));
    }
}
// Output rows first..last-1 of the part, each from its own source rows.
void scaleRows(const QImage& source, const AxisTaps& x, const AxisTaps& y, int first, int last,
               uchar* out, qsizetype rowBytes) {
    const int channels = (x.highest - x.lowest) * 4;
    std::vector<quint32> sum(static_cast<size_t>(channels));
    for (int row = first; row < last; ++row) {
        std::fill(sum.begin(), sum.end(), 0u);
        const quint32* weight = y.weights.data() + y.first[size_t(row)];
        for (int t = 0; t < y.count[size_t(row)]; ++t)
            accumulateRow(source.constScanLine(y.from[size_t(row)] + t) + x.lowest * 4, channels,
                          weight[t], sum.data());
        resolveRow(sum.data(), x, out + row * rowBytes);
    }
}
} // namespace

QImage scaledPart(const QImage& source, QSize size, QRect part) {
    part &= QRect(QPoint(0, 0), size);
    if (source.isNull() || part.isEmpty())
        return {};
    const AxisTaps x = axisTaps(source.width(), size.width(), part.left(), part.right() + 1);
    const AxisTaps y = axisTaps(source.height(), size.height(), part.top(), part.bottom() + 1);
    QImage out(part.size(), source.format());
    uchar* const bits = out.bits(); // once: rows are written from several threads
    const qsizetype rowBytes = out.bytesPerLine();
    // Shrinking reads many source pixels for each one drawn: then every core takes some rows.
    constexpr qint64 WorthSharing = qint64(1) << 20;
    const qint64 reads = qint64(x.weights.size()) * qint64(y.weights.size());
    const int bands = reads < WorthSharing ? 1 : std::max(1, QThread::idealThreadCount());
    if (bands == 1) {
        scaleRows(source, x, y, 0, part.height(), bits, rowBytes);
        return out;
    }
    QList<std::pair<int, int>> rows;
    for (int band = 0; band < bands; ++band)
        rows.append({part.height() * band / bands, part.height() * (band + 1) / bands});
    QtConcurrent::blockingMap(rows, [&](const std::pair<int, int>& r) {
        scaleRows(source, x, y, r.first, r.second, bits, rowBytes);
    });
    return out;
}

} // namespace tovik
