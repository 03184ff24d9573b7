// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "plugins/pngscan/pngrows.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <unistd.h>
#include <zlib.h>

namespace tovik::pngscan {

namespace {
constexpr int Window = 32768;

quint32 wordAt(const uchar* at) {
    return quint32(at[0]) << 24 | quint32(at[1]) << 16 | quint32(at[2]) << 8 | at[3];
}

bool validForm(int colourType, int depth) {
    switch (colourType) {
    case 0:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6:
        return depth == 8 || depth == 16;
    }
    return false;
}

} // namespace

// Where inflating can begin again, and the rows around it, at the head of a point's memory;
// the window, the row above and the current row's bytes so far follow it.
struct PointHead {
    qint64 fileAt, chunkLeft, out;
    qint32 bits, value, windowLength, valid;
};

int PngLayout::channels() const {
    static const int count[] = {1, 0, 3, 1, 2, 0, 4};
    return colourType >= 0 && colourType <= 6 ? count[colourType] : 0;
}

std::optional<PngLayout> pngLayout(const QByteArray& head) {
    const auto* bytes = reinterpret_cast<const uchar*>(head.constData());
    if (head.size() < 33 || std::memcmp(bytes, "\x89PNG\r\n\x1a\n", 8) != 0 ||
        std::memcmp(bytes + 12, "IHDR", 4) != 0)
        return {};
    PngLayout layout;
    layout.size = QSize(int(std::min<quint32>(wordAt(bytes + 16), INT32_MAX)),
                        int(std::min<quint32>(wordAt(bytes + 20), INT32_MAX)));
    layout.depth = bytes[24];
    layout.colourType = bytes[25];
    if (layout.size.isEmpty() || !validForm(layout.colourType, layout.depth) || bytes[26] != 0 ||
        bytes[27] != 0 || bytes[28] != 0) // deflate, adaptive filters, not interlaced
        return {};
    for (qint64 at = 8; at + 8 <= head.size();) {
        const qint64 length = wordAt(bytes + at);
        const QByteArray type = head.mid(at + 4, 4);
        if (type == "IDAT") {
            layout.firstData = at;
            return layout.colourType != 3 || !layout.palette.isEmpty() ? std::optional(layout)
                                                                       : std::nullopt;
        }
        if (length > 0x7fffffff || at + 12 + length > head.size())
            return {};
        if (type == "PLTE" && length <= 768 && length % 3 == 0)
            layout.palette = head.mid(at + 8, length);
        else if (type == "tRNS" && length <= 256)
            layout.transparency = head.mid(at + 8, length);
        else if (type == "iCCP")
            layout.iccChunk = head.mid(at + 8, length);
        else if (type == "sRGB")
            layout.srgb = true;
        else if (type == "gAMA" && length == 4)
            layout.gamma = wordAt(bytes + at + 8);
        at += 12 + length;
    }
    return {};
}

QByteArray pngProfile(const PngLayout& layout) {
    constexpr uLong MostProfileBytes = 4 << 20;
    const QByteArray& chunk = layout.iccChunk;
    const qsizetype name = chunk.indexOf('\0');
    if (name < 1 || name + 2 > chunk.size() || chunk[name + 1] != 0) // deflated
        return {};
    QByteArray profile(MostProfileBytes, Qt::Uninitialized);
    uLongf length = MostProfileBytes;
    const auto* data = reinterpret_cast<const Bytef*>(chunk.constData() + name + 2);
    if (uncompress(reinterpret_cast<Bytef*>(profile.data()), &length, data,
                   uLong(chunk.size() - name - 2)) != Z_OK)
        return {};
    profile.truncate(qsizetype(length));
    return profile;
}

int bandRows(const PngLayout& layout) {
    const qint64 height = layout.size.height(), atLeast = 256;
    const qint64 bytes = (height + atLeast - 1) / atLeast * pointBytes(layout);
    return int(std::min(height, atLeast * ((bytes + MostPointBytes - 1) / MostPointBytes)));
}

int pointCount(const PngLayout& layout) {
    const qint64 band = std::max(1, bandRows(layout));
    return int((qint64(layout.size.height()) + band - 1) / band);
}

qint64 pointBytes(const PngLayout& layout) {
    const qint64 bytes = qint64(sizeof(PointHead)) + Window + 2 * (layout.rowBytes() + 1);
    return (bytes + 7) / 8 * 8; // each point's head aligned
}

struct PngRows::Inflate {
    z_stream z{};
    bool ready = false;
    qint64 fileAt = 0, chunkLeft = 0;
    bool inChunk = false; // a chunk's data have begun: its CRC comes before the next header
    int header = 0;       // bytes of the zlib header still to pass over
    std::vector<uchar> in = std::vector<uchar>(64 << 10);
    qint64 out = 0;
    ~Inflate() {
        if (ready)
            inflateEnd(&z);
    }
    // More of the data to inflate; false at their end.
    bool more(int fd) {
        while (chunkLeft == 0) {
            uchar header[8];
            const qint64 at = fileAt + (inChunk ? 4 : 0);
            if (pread(fd, header, 8, at) != 8 || std::memcmp(header + 4, "IDAT", 4) != 0)
                return false;
            chunkLeft = wordAt(header);
            if (chunkLeft > 0x7fffffff)
                return false;
            fileAt = at + 8;
            inChunk = true;
        }
        const ssize_t got =
            pread(fd, in.data(), size_t(std::min<qint64>(chunkLeft, qint64(in.size()))), fileAt);
        if (got <= 0)
            return false;
        fileAt += got;
        chunkLeft -= got;
        const int passed = std::min(header, int(got));
        header -= passed;
        z.next_in = in.data() + passed;
        z.avail_in = uInt(got - passed);
        return true;
    }
};

PngRows::PngRows(int fd, const PngLayout& layout)
    : m_fd(fd), m_layout(layout), m_band(std::max(1, bandRows(layout))),
      m_previous(size_t(layout.rowBytes() + 1)), m_current(m_previous.size()) {}

PngRows::~PngRows() = default;

bool PngRows::start(uchar* points) {
    m_inflate = std::make_unique<Inflate>();
    m_inflate->fileAt = m_layout.firstData;
    // Raw deflate past the zlib header, as from a point: its checksum would take a tenth of the
    // time, and nothing else checks the data either.
    m_inflate->header = 2;
    m_inflate->ready = inflateInit2(&m_inflate->z, -15) == Z_OK;
    m_points = points;
    if (points)
        for (int i = 0; i < pointCount(m_layout); ++i)
            reinterpret_cast<PointHead*>(points + i * pointBytes(m_layout))->valid = 0;
    return m_inflate->ready;
}

bool PngRows::startAt(const uchar* points, int row) {
    const PointHead* from = nullptr;
    for (int i = std::min(row / m_band, pointCount(m_layout) - 1); i >= 0 && !from; --i) {
        const auto* head = reinterpret_cast<const PointHead*>(points + i * pointBytes(m_layout));
        if (head->valid && head->out / qint64(m_current.size()) <= row)
            from = head;
    }
    if (!(from ? resume(*from) : start(nullptr)))
        return false;
    while (m_row < row)
        if (!next())
            return false;
    return true;
}

bool PngRows::resume(const PointHead& from) {
    m_inflate = std::make_unique<Inflate>();
    Inflate& f = *m_inflate;
    f.ready = inflateInit2(&f.z, -15) == Z_OK;
    if (!f.ready || (from.bits && inflatePrime(&f.z, from.bits, from.value) != Z_OK))
        return false;
    const auto* window = reinterpret_cast<const uchar*>(&from + 1);
    if (inflateSetDictionary(&f.z, window, uInt(from.windowLength)) != Z_OK)
        return false;
    f.fileAt = from.fileAt;
    f.chunkLeft = from.chunkLeft;
    f.inChunk = true;
    f.out = from.out;
    const qsizetype stride = qsizetype(m_current.size());
    m_row = int(from.out / stride);
    m_have = from.out % stride;
    std::memcpy(m_previous.data(), window + Window, size_t(stride));
    std::memcpy(m_current.data(), window + Window + stride, size_t(m_have));
    return true;
}

void PngRows::writePoint() {
    Inflate& f = *m_inflate;
    const int bits = f.z.data_type & 7;
    // Each point a row before its band, so that reading from a band's first row needs no more.
    if (m_nextPoint >= pointCount(m_layout) || m_row < m_nextPoint * m_band - 1 ||
        (bits && f.z.next_in == f.in.data()))
        return;
    uchar* at = m_points + m_nextPoint * pointBytes(m_layout);
    auto* head = reinterpret_cast<PointHead*>(at);
    uchar* window = at + sizeof(PointHead);
    uInt length = 0;
    inflateGetDictionary(&f.z, window, &length);
    const qsizetype stride = qsizetype(m_current.size());
    *head = {f.fileAt - f.z.avail_in,
             f.chunkLeft + f.z.avail_in,
             qint64(m_row) * stride + m_have,
             bits,
             bits ? f.z.next_in[-1] >> (8 - bits) : 0,
             qint32(length),
             1};
    std::memcpy(window + Window, m_previous.data(), size_t(stride));
    std::memcpy(window + Window + stride, m_current.data(), size_t(m_have));
    m_nextPoint = (m_row + 1) / m_band + 1;
}

bool PngRows::fill() {
    Inflate& f = *m_inflate;
    const qsizetype stride = qsizetype(m_current.size());
    while (m_have < stride) {
        if (f.z.avail_in == 0 && !f.more(m_fd))
            return false;
        f.z.next_out = m_current.data() + m_have;
        f.z.avail_out = uInt(stride - m_have);
        const int result = inflate(&f.z, m_points ? Z_BLOCK : Z_NO_FLUSH);
        m_have = stride - f.z.avail_out;
        if (result == Z_STREAM_END)
            return m_have == stride;
        if (result != Z_OK && result != Z_BUF_ERROR)
            return false;
        if (m_points && (f.z.data_type & 128) && !(f.z.data_type & 64))
            writePoint();
    }
    return true;
}

namespace {
int paeth(int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

bool unfilter(uchar* row, const uchar* prior, qsizetype n, int step, int type) {
    switch (type) {
    case 0:
        return true;
    case 1:
        for (qsizetype i = step; i < n; ++i)
            row[i] = uchar(row[i] + row[i - step]);
        return true;
    case 2:
        for (qsizetype i = 0; i < n; ++i)
            row[i] = uchar(row[i] + prior[i]);
        return true;
    case 3:
        for (qsizetype i = 0; i < n; ++i)
            row[i] = uchar(row[i] + (((i >= step ? row[i - step] : 0) + prior[i]) >> 1));
        return true;
    case 4:
        for (qsizetype i = 0; i < n; ++i)
            row[i] = uchar(row[i] + (i >= step ? paeth(row[i - step], prior[i], prior[i - step])
                                               : paeth(0, prior[i], 0)));
        return true;
    }
    return false;
}
} // namespace

const uchar* PngRows::next() {
    if (!m_inflate || m_row >= m_layout.size.height() || !fill())
        return nullptr;
    const qsizetype n = qsizetype(m_current.size()) - 1;
    if (!unfilter(m_current.data() + 1, m_previous.data() + 1, n, m_layout.filterStep(),
                  m_current[0]))
        return nullptr;
    m_current.swap(m_previous);
    m_have = 0;
    ++m_row;
    return m_previous.data() + 1;
}

namespace {
int sampleAt(const uchar* row, qint64 index, int depth) {
    if (depth == 8)
        return row[index];
    if (depth == 16)
        return row[2 * index];
    const qint64 bit = index * depth;
    return (row[bit / 8] >> (8 - depth - bit % 8)) & ((1 << depth) - 1);
}

QRgb over(int r, int g, int b, int alpha, QRgb fill) {
    const auto mix = [alpha](int c, int f) { return (c * alpha + f * (255 - alpha) + 127) / 255; };
    return qRgb(mix(r, qRed(fill)), mix(g, qGreen(fill)), mix(b, qBlue(fill)));
}
} // namespace

void toRgb32(const PngLayout& l, const uchar* row, int x, int count, QRgb fill, QRgb* out) {
    if (l.depth == 8 && l.colourType == 2) { // most pictures: straight through
        for (const uchar* p = row + qsizetype(x) * 3; count > 0; --count, p += 3)
            *out++ = qRgb(p[0], p[1], p[2]);
        return;
    }
    if (l.depth == 8 && l.colourType == 0) {
        for (const uchar* p = row + x; count > 0; --count, ++p)
            *out++ = qRgb(*p, *p, *p);
        return;
    }
    const int depth = l.depth, scale = depth < 8 ? 255 / ((1 << depth) - 1) : 1;
    for (int i = 0; i < count; ++i) {
        const qint64 p = qint64(x) + i;
        switch (l.colourType) {
        case 0: {
            const int g = sampleAt(row, p, depth) * scale;
            out[i] = qRgb(g, g, g);
            break;
        }
        case 2:
            out[i] = qRgb(sampleAt(row, 3 * p, depth), sampleAt(row, 3 * p + 1, depth),
                          sampleAt(row, 3 * p + 2, depth));
            break;
        case 3: {
            const int index = sampleAt(row, p, depth);
            const auto* c = reinterpret_cast<const uchar*>(l.palette.constData()) + 3 * index;
            const int alpha = index < l.transparency.size() ? uchar(l.transparency[index]) : 255;
            out[i] = 3 * index + 2 < l.palette.size() ? over(c[0], c[1], c[2], alpha, fill)
                                                      : qRgb(0, 0, 0);
            break;
        }
        case 4: {
            const int g = sampleAt(row, 2 * p, depth);
            out[i] = over(g, g, g, sampleAt(row, 2 * p + 1, depth), fill);
            break;
        }
        default:
            out[i] = over(sampleAt(row, 4 * p, depth), sampleAt(row, 4 * p + 1, depth),
                          sampleAt(row, 4 * p + 2, depth), sampleAt(row, 4 * p + 3, depth), fill);
        }
    }
}

} // namespace tovik::pngscan
