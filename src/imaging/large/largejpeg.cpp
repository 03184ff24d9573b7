// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/large/largejpeg.h"

#include "imaging/colour/screencolours.h"
#include "imaging/jpeg/jpegfailure.h"
#include "imaging/jpeg/jpegmarkers.h"

#include <QColorSpace>

#include <algorithm>
#include <cstdio>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace tovik::large {

QSize Reduction::of(QSize picture) const {
    const qint64 f = factor();
    return {int((picture.width() + f - 1) / f), int((picture.height() + f - 1) / f)};
}

Reduction overviewReduction(QSize picture, qint64 most) {
    Reduction r;
    for (int f = 1; f <= 1 << 16; f *= 2) {
        r = Reduction::by(f);
        const QSize reduced = r.of(picture);
        if (qint64(reduced.width()) * reduced.height() <= most)
            break;
    }
    return r;
}

bool validReduction(const Reduction& r) {
    return (r.scale == 1 || r.scale == 2 || r.scale == 4 || r.scale == 8) && r.box >= 1 &&
           r.box <= 1024 && (r.box & (r.box - 1)) == 0;
}

namespace {
BandConversion conversionOf(const JpegLayout& layout) {
    IccChunks chunks;
    for (const QByteArray& segment : layout.iccSegments)
        chunks.add(reinterpret_cast<const uchar*>(segment.constData()), size_t(segment.size()));
    const QByteArray icc = chunks.joined();
    return icc.isEmpty() ? BandConversion()
                         : screenConversion(QColorSpace::fromIccProfile(icc), QImage::Format_RGB32);
}

// Averages box rows of width pixels (RGB32, the last box of a row as wide as it goes) into out.
void averageRows(const std::vector<QRgb>& rows, int count, int width, int box, QRgb* out) {
    for (int x = 0, o = 0; x < width; x += box, ++o) {
        const int across = std::min(box, width - x);
        quint32 r = 0, g = 0, b = 0;
        for (int y = 0; y < count; ++y)
            for (int i = 0; i < across; ++i) {
                const QRgb p = rows[size_t(y) * size_t(width) + size_t(x + i)];
                r += qRed(p), g += qGreen(p), b += qBlue(p);
            }
        const quint32 n = quint32(count * across);
        out[o] = qRgb(int((r + n / 2) / n), int((g + n / 2) / n), int((b + n / 2) / n));
    }
}

// The overview's pass through libjpeg. No object with a destructor lives in run: a jump out of
// libjpeg skips its frame.
struct OverviewPass {
    jpeg_decompress_struct info{};
    JpegFailure failure{};
    std::FILE* file = nullptr;
    std::vector<QRgb> rows;

    bool run(QImage& canvas, const Reduction& reduction, const std::function<void(int)>& done) {
        if (setjmp(failure.jump))
            return false;
        jpeg_stdio_src(&info, file);
        jpeg_read_header(&info, TRUE);
        info.out_color_space = JCS_EXT_BGRX;
        info.scale_num = 1;
        info.scale_denom = unsigned(reduction.scale);
        jpeg_start_decompress(&info);
        const int width = int(info.output_width), box = reduction.box;
        for (int y = 0; info.output_scanline < info.output_height; ++y) {
            const int first = int(info.output_scanline);
            while (int(info.output_scanline) < std::min(first + box, int(info.output_height))) {
                JSAMPROW row = reinterpret_cast<JSAMPROW>(
                    box == 1 ? reinterpret_cast<QRgb*>(canvas.scanLine(y))
                             : &rows[size_t(int(info.output_scanline) - first) * size_t(width)]);
                jpeg_read_scanlines(&info, &row, 1);
            }
            if (box > 1)
                averageRows(rows, int(info.output_scanline) - first, width, box,
                            reinterpret_cast<QRgb*>(canvas.scanLine(y)));
            done(y + 1);
        }
        jpeg_finish_decompress(&info);
        return true;
    }
};

// The piece of the JPEG in bytes decoded at 1/denominator. No object with a destructor lives in
// run.
struct PieceDecode {
    jpeg_decompress_struct info{};
    JpegFailure failure{};
    bool run(const QByteArray& bytes, int denominator, QImage& out) {
        if (setjmp(failure.jump))
            return false;
        readJpegHeader(info, bytes);
        info.scale_num = 1;
        info.scale_denom = unsigned(denominator);
        jpeg_calc_output_dimensions(&info);
        if (out.size() != QSize(int(info.output_width), int(info.output_height)))
            return false;
        jpeg_start_decompress(&info);
        readJpegRows(info, out, out.height());
        jpeg_finish_decompress(&info);
        return true;
    }
};
} // namespace

std::unique_ptr<LargeJpeg> LargeJpeg::open(int fd) {
    QByteArray head(jpegscan::MostHeaderBytes, Qt::Uninitialized);
    const ssize_t got = fd < 0 ? -1 : pread(fd, head.data(), size_t(head.size()), 0);
    std::optional<JpegLayout> layout =
        got > 0 ? jpegscan::baselineLayout(head.left(got)) : std::optional<JpegLayout>();
    const int own = layout ? ::fcntl(fd, F_DUPFD_CLOEXEC, 0) : -1;
    if (own < 0)
        return {};
    return std::unique_ptr<LargeJpeg>(new LargeJpeg(own, std::move(*layout)));
}

LargeJpeg::LargeJpeg(int fd, JpegLayout layout) : m_fd(fd), m_layout(std::move(layout)) {}

LargeJpeg::~LargeJpeg() {
    ::close(m_fd);
}

bool LargeJpeg::overview(QImage& canvas, const Reduction& reduction, IndexPoint* index,
                         const std::function<void(int)>& progress) {
    if (canvas.size() != reduction.of(m_layout.size) || canvas.format() != QImage::Format_RGB32)
        return false;
    std::atomic<bool> stop = false;
    std::thread indexing;
    if (index)
        indexing =
            std::thread([&] { m_indexedRows = jpegscan::indexJpeg(m_fd, m_layout, index, stop); });
    const BandConversion convert = conversionOf(m_layout);
    int converted = 0;
    OverviewPass pass;
    pass.failure.create(pass.info);
    pass.rows.resize(size_t(reduction.box) * size_t((m_layout.size.width() + 7) / 8));
    const int own = ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
    pass.file = own >= 0 ? ::fdopen(own, "rb") : nullptr;
    if (pass.file)
        std::setvbuf(pass.file, nullptr, _IOFBF, 1 << 20);
    const bool whole = pass.file && pass.run(canvas, reduction, [&](int rows) {
        if (rows - converted < 64 && rows < canvas.height())
            return;
        if (convert)
            convert(canvas.scanLine(converted), canvas.width(), rows - converted,
                    canvas.bytesPerLine());
        converted = rows;
        progress(rows);
    });
    jpeg_destroy_decompress(&pass.info);
    if (pass.file)
        std::fclose(pass.file);
    else if (own >= 0)
        ::close(own);
    stop = !whole;
    if (indexing.joinable())
        indexing.join();
    m_index = index;
    return whole;
}

QImage LargeJpeg::region(const QRect& rect, int denominator) const {
    const JpegLayout& l = m_layout;
    const QRect full(rect.x() * denominator, rect.y() * denominator, rect.width() * denominator,
                     rect.height() * denominator);
    const QRect inside = full & QRect(QPoint(0, 0), l.size);
    if (!m_index || inside.isEmpty() || denominator < 1 || denominator > 8 ||
        l.mcuWidth() % denominator || l.mcuHeight() % denominator)
        return {};
    // A MCU more on each side: what the upsampling of the piece's edges reads is then there.
    const QRect mcus =
        QRect(QPoint(inside.left() / l.mcuWidth() - 1, inside.top() / l.mcuHeight() - 1),
              QPoint(inside.right() / l.mcuWidth() + 1, inside.bottom() / l.mcuHeight() + 1)) &
        QRect(0, 0, l.mcusAcross(), l.mcusDown());
    if (mcus.bottom() >= m_indexedRows)
        return {};
    const QByteArray piece = jpegscan::regionJpeg(m_fd, l, m_index, mcus);
    if (piece.isEmpty())
        return {};
    const int pieceWidth =
        std::min(l.size.width(), (mcus.right() + 1) * l.mcuWidth()) - mcus.left() * l.mcuWidth();
    const int pieceHeight =
        std::min(l.size.height(), (mcus.bottom() + 1) * l.mcuHeight()) - mcus.top() * l.mcuHeight();
    QImage decoded((pieceWidth + denominator - 1) / denominator,
                   (pieceHeight + denominator - 1) / denominator, QImage::Format_RGB32);
    PieceDecode decode;
    decode.failure.create(decode.info);
    const bool fine = !decoded.isNull() && decode.run(piece, denominator, decoded);
    jpeg_destroy_decompress(&decode.info);
    if (!fine)
        return {};
    const QPoint origin(mcus.left() * l.mcuWidth() / denominator,
                        mcus.top() * l.mcuHeight() / denominator);
    const QRect inPiece = QRect(rect.topLeft() - origin, rect.size()) & decoded.rect();
    QImage out = inPiece == decoded.rect() ? decoded : decoded.copy(inPiece);
    if (const BandConversion convert = conversionOf(l))
        convert(out.bits(), out.width(), out.height(), out.bytesPerLine());
    return out;
}

} // namespace tovik::large
