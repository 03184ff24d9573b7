#include "app/scaledpart.h"

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
    for (size_t i = 0; i < taps.from.size(); ++i)
        taps.highest = std::max(taps.highest, taps.from[i] + taps.count[i]);
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
} // namespace

QImage scaledPart(const QImage& source, QSize size, QRect part) {
    part &= QRect(QPoint(0, 0), size);
    if (source.isNull() || part.isEmpty())
        return {};
    const AxisTaps x = axisTaps(source.width(), size.width(), part.left(), part.right() + 1);
    const AxisTaps y = axisTaps(source.height(), size.height(), part.top(), part.bottom() + 1);
    QImage out(part.size(), source.format());
    const int channels = (x.highest - x.lowest) * 4;
    std::vector<quint32> sum(static_cast<size_t>(channels));
    const quint32* weight = y.weights.data();
    for (int row = 0; row < part.height(); ++row) {
        std::fill(sum.begin(), sum.end(), 0u);
        for (int t = 0; t < y.count[row]; ++t, ++weight)
            accumulateRow(source.constScanLine(y.from[row] + t) + x.lowest * 4, channels, *weight,
                          sum.data());
        resolveRow(sum.data(), x, out.scanLine(row));
    }
    return out;
}

} // namespace tovik
