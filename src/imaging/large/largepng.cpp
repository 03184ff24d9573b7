// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/large/largepng.h"

#include "imaging/large/largejpeg.h"

#include <algorithm>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace tovik::large {

namespace {
// Adds a row of pixels to the sums of the boxes of factor across it (three a box).
void addRow(const QRgb* pixels, int width, int factor, std::vector<quint32>& sums) {
    quint32* sum = sums.data();
    for (int first = 0; first < width; first += factor, sum += 3)
        for (const QRgb *p = pixels + first, *end = pixels + std::min(width, first + factor);
             p < end; ++p)
            sum[0] += qRed(*p), sum[1] += qGreen(*p), sum[2] += qBlue(*p);
}

// Rows of a PNG reduced by factor (each box of pixels averaged, those at the edges as far as
// they go) into out from the row rows is at, as many as it holds; done told of each row.
bool reducedRows(pngscan::PngRows& rows, const pngscan::PngLayout& layout, int factor, QRgb fill,
                 QImage& out, const std::function<void(int)>& done) {
    const int width = layout.size.width();
    std::vector<QRgb> pixels(static_cast<size_t>(width));
    std::vector<quint32> sums(size_t(out.width()) * 3);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        std::fill(sums.begin(), sums.end(), 0);
        int count = 0;
        for (; count < factor && rows.row() < layout.size.height(); ++count) {
            const uchar* row = rows.next();
            if (!row)
                return false;
            pngscan::toRgb32(layout, row, 0, width, fill, factor == 1 ? line : pixels.data());
            if (factor > 1)
                addRow(pixels.data(), width, factor, sums);
        }
        for (int x = 0; factor > 1 && x < out.width(); ++x) {
            const quint32 n = quint32(count * std::min(factor, width - x * factor));
            const quint32* sum = &sums[size_t(x) * 3];
            line[x] = qRgb(int((sum[0] + n / 2) / n), int((sum[1] + n / 2) / n),
                           int((sum[2] + n / 2) / n));
        }
        done(y + 1);
    }
    return true;
}
} // namespace

std::unique_ptr<LargePng> LargePng::open(int fd) {
    QByteArray head(64 << 10, Qt::Uninitialized);
    const ssize_t got = fd < 0 ? -1 : pread(fd, head.data(), size_t(head.size()), 0);
    std::optional<pngscan::PngLayout> layout =
        got > 0 ? pngscan::pngLayout(head.left(got)) : std::nullopt;
    const int own = layout ? ::fcntl(fd, F_DUPFD_CLOEXEC, 0) : -1;
    if (own < 0)
        return {};
    return std::unique_ptr<LargePng>(new LargePng(own, std::move(*layout)));
}

LargePng::LargePng(int fd, pngscan::PngLayout layout) : m_fd(fd), m_layout(std::move(layout)) {}

LargePng::~LargePng() {
    ::close(m_fd);
}

bool LargePng::overview(QImage& canvas, int factor, QRgb fill, uchar* points,
                        const std::function<void(int)>& progress) {
    if (factor < 1 || canvas.format() != QImage::Format_RGB32 ||
        canvas.size() != Reduction{1, factor}.of(m_layout.size))
        return false;
    pngscan::PngRows rows(m_fd, m_layout);
    const bool whole =
        rows.start(points) && reducedRows(rows, m_layout, factor, fill, canvas, progress);
    m_points = points;
    return whole;
}

QImage LargePng::region(const QRect& rect, int denominator, QRgb fill) {
    const QSize reduced = Reduction{1, denominator}.of(m_layout.size);
    const QRect inside = rect & QRect(QPoint(0, 0), reduced);
    if (!m_points || inside.isEmpty() || denominator < 1 || denominator > 8)
        return {};
    return m_rows.part(inside, denominator, fill, reduced.width(), [&](QImage& strip, int top) {
        pngscan::PngRows rows(m_fd, m_layout);
        return rows.startAt(m_points, top * denominator) &&
               reducedRows(rows, m_layout, denominator, fill, strip, [](int) {});
    });
}

} // namespace tovik::large
