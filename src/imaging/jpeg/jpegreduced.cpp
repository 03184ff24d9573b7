// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/jpeg/jpegreduced.h"

#include "core/bytes.h"
#include "imaging/jpeg/jpegfailure.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

namespace tovik {

namespace {
constexpr quint32 Sos = 0xda, Eoi = 0xd9;

// For each component (by its id in the scans), the highest place in the zigzag order among the
// coefficients its scaled transform reads: those of the rows and columns below its scaled size.
using Shown = std::map<quint32, int>;

struct Reduction {
    jpeg_decompress_struct info{};
    JpegFailure failure{};
    Reduction() { failure.create(info); }
    ~Reduction() { jpeg_destroy_decompress(&info); }

    static unsigned denominatorFor(const jpeg_decompress_struct& info, QSize atLeast) {
        for (unsigned d : {8u, 4u, 2u})
            if ((info.image_width + d - 1) / d >= unsigned(atLeast.width()) &&
                (info.image_height + d - 1) / d >= unsigned(atLeast.height()))
                return d;
        return 1;
    }

    // No object with a destructor lives here: a jump out of libjpeg skips this frame.
    bool readHeader(const QByteArray& file, QSize atLeast) {
        if (setjmp(failure.jump))
            return false;
        readJpegHeader(info, file);
        info.scale_num = 1;
        info.scale_denom = denominatorFor(info, atLeast);
        info.do_block_smoothing = FALSE; // no guessing at coefficients never read
        jpeg_calc_output_dimensions(&info);
        return info.num_components == 3;
    }

    Shown shown() const {
        static constexpr int Zigzag[4][4] = {
            {0, 1, 5, 6}, {2, 4, 7, 13}, {3, 8, 12, 17}, {9, 11, 18, 24}};
        Shown highest;
        for (int c = 0; c < info.num_components; ++c) {
            const int size = std::clamp(info.comp_info[c].DCT_scaled_size, 1, 4);
            int most = 0;
            for (int row = 0; row < size; ++row)
                for (int column = 0; column < size; ++column)
                    most = std::max(most, Zigzag[row][column]);
            highest[quint32(info.comp_info[c].component_id)] = size == 4 ? 63 : most;
        }
        return highest;
    }

    bool decode(QImage& image) {
        if (setjmp(failure.jump))
            return false;
        jpeg_start_decompress(&info);
        if (int(info.output_width) != image.width() || int(info.output_height) != image.height())
            return false;
        readJpegRows(info, image, image.height());
        jpeg_abort_decompress(&info);
        return true;
    }
};

// Where the entropy-coded data that starts at from ends: at the next marker that is no stuffed
// byte and no restart.
qint64 dataEnd(const ByteView& b, qint64 from) {
    const auto* bytes = static_cast<const char*>(b.data());
    for (qint64 at = from; at + 1 < b.size(); ++at) {
        const void* found = std::memchr(bytes + at, 0xff, size_t(b.size() - at - 1));
        if (!found)
            break;
        at = static_cast<const char*>(found) - bytes;
        const quint32 next = b.u8(at + 1);
        if (next != 0 && next != 0xff && (next < 0xd0 || next > 0xd7))
            return at;
    }
    return b.size();
}

struct Scan {
    qint64 at, end;
    std::vector<quint32> components;
    int first, last; // the band of coefficients, in zigzag order
    bool refines;    // successive approximation: it refines earlier scans' bits
};

// The scans to keep: those with coefficients a component shows. A refining scan of a band reads
// which of its coefficients earlier scans made nonzero, so the whole band is then shown.
std::vector<bool> keptScans(const std::vector<Scan>& scans, Shown shown) {
    std::vector<bool> kept(scans.size());
    for (bool grew = true; grew;) {
        grew = false;
        for (std::size_t i = 0; i < scans.size(); ++i)
            for (quint32 component : scans[i].components) {
                int& highest = shown.try_emplace(component, 63).first->second;
                if (scans[i].first > highest)
                    continue;
                kept[i] = true;
                if (scans[i].refines && scans[i].last > highest) {
                    highest = scans[i].last;
                    grew = true;
                }
            }
    }
    return kept;
}

Scan scanAt(const ByteView& b, qint64 at, qint64 end) {
    const quint32 count = b.u8(at + 4);
    Scan scan{at,
              end,
              {},
              int(b.u8(at + 5 + 2 * count)),
              int(b.u8(at + 6 + 2 * count)),
              (b.u8(at + 7 + 2 * count) >> 4) != 0};
    for (quint32 i = 0; i < count; ++i)
        scan.components.push_back(b.u8(at + 5 + 2 * i));
    return scan;
}

// The file's scans, and where its segments end; none when its markers cannot be followed.
std::vector<Scan> scansOf(const ByteView& b, qint64& eoi) {
    std::vector<Scan> scans;
    qint64 at = 2;
    while (at + 4 <= b.size() && !(b.u8(at) == 0xff && b.u8(at + 1) == Eoi)) {
        if (b.u8(at) != 0xff)
            return {};
        if (b.u8(at + 1) == 0xff) { // a fill byte before a marker
            ++at;
            continue;
        }
        qint64 end = at + 2 + b.be16(at + 2);
        if (b.u8(at + 1) == Sos) {
            end = dataEnd(b, end);
            scans.push_back(scanAt(b, at, end));
        }
        if (end > b.size())
            return {};
        at = end;
    }
    eoi = std::min<qint64>(at, b.size());
    return scans;
}

// The file without the scans the reduced picture never shows; every other segment (tables,
// markers) stays where it was. Empty when its markers cannot be followed.
QByteArray withScansShown(const QByteArray& file, const Shown& shown) {
    const ByteView b(file.constData(), size_t(file.size()));
    qint64 eoi = 0;
    const std::vector<Scan> scans = scansOf(b, eoi);
    if (scans.empty())
        return {};
    const std::vector<bool> kept = keptScans(scans, shown);
    QByteArray out;
    qint64 from = 0;
    for (std::size_t i = 0; i < scans.size(); ++i)
        if (!kept[i]) {
            out += file.mid(from, scans[i].at - from);
            from = scans[i].end;
        }
    return out + file.mid(from, eoi - from) + QByteArray("\xff\xd9", 2);
}
} // namespace

QImage decodeJpegReduced(const QByteArray& file, QSize atLeast) {
    Reduction header;
    if (!header.readHeader(file, atLeast))
        return {};
    QImage image(int(header.info.output_width), int(header.info.output_height),
                 QImage::Format_RGB32);
    const QByteArray shownOnly =
        header.info.progressive_mode ? withScansShown(file, header.shown()) : QByteArray();
    if (shownOnly.isEmpty()) // sequential: every scan is shown
        return !image.isNull() && header.decode(image) ? image : QImage();
    Reduction reduced;
    if (image.isNull() || !reduced.readHeader(shownOnly, atLeast) || !reduced.decode(image))
        return {};
    return image;
}

} // namespace tovik
