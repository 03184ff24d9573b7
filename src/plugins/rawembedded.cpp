// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "plugins/rawembedded.h"

#include "core/bytes.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace tovik {

namespace {
constexpr int MostDirectories = 64, MostEntries = 1000, MostStrips = 65536;
constexpr quint32 Width = 0x100, Height = 0x101, Bits = 0x102, Compression = 0x103,
                  Photometric = 0x106, StripOffsets = 0x111, Samples = 0x115,
                  StripByteCounts = 0x117, Planar = 0x11C, SubIFDs = 0x14A, JpegAt = 0x201,
                  JpegLength = 0x202, DngVersion = 0xC612;
constexpr qint64 Mosaic = 32803, LinearRaw = 34892; // photometric interpretations
constexpr quint32 Short = 3, Long = 4, Ifd = 13;

// A TIFF directory's entries, read through the byte order of the file.
class Directories {
public:
    explicit Directories(const QByteArray& file)
        : m_b(file.constData(), size_t(file.size())), m_little(m_b.has(0, "II", 2)) {}

    bool isTiff() const {
        // TIFF's 42, and the variants of Olympus (ORF) and Panasonic (RW2) on the same layout.
        const quint32 magic = u16(2);
        return (m_little || m_b.has(0, "MM", 2)) &&
               (magic == 42 || magic == 0x4F52 || magic == 0x5352 || magic == 0x55);
    }
    qint64 first() const { return u32(4); }
    quint32 count(qint64 ifd) const { return u16(ifd); }
    qint64 next(qint64 ifd) const { return u32(ifd + 2 + 12 * qint64(count(ifd))); }
    bool fits(qint64 at, qint64 length) const {
        return at > 0 && length > 0 && length <= m_b.size() && at <= m_b.size() - length;
    }

    bool has(qint64 ifd, quint32 tag) const { return entry(ifd, tag) >= 0; }
    // The values of tag (shorts or longs) in the directory at ifd; empty when it is not there.
    QList<qint64> values(qint64 ifd, quint32 tag) const {
        const qint64 at = entry(ifd, tag);
        return at < 0 ? QList<qint64>() : valuesAt(at);
    }
    qint64 value(qint64 ifd, quint32 tag, qint64 otherwise = -1) const {
        const QList<qint64> all = values(ifd, tag);
        return all.isEmpty() ? otherwise : all.first();
    }

private:
    qint64 entry(qint64 ifd, quint32 tag) const {
        for (quint32 i = 0; i < count(ifd); ++i)
            if (u16(ifd + 2 + 12 * qint64(i)) == tag)
                return ifd + 2 + 12 * qint64(i);
        return -1;
    }
    quint32 u16(qint64 at) const { return m_little ? m_b.le16(at) : m_b.be16(at); }
    quint32 u32(qint64 at) const { return m_little ? m_b.le32(at) : m_b.be32(at); }

    QList<qint64> valuesAt(qint64 entry) const {
        const quint32 type = u16(entry + 2), n = u32(entry + 4);
        const int size = type == Short ? 2 : type == Long || type == Ifd ? 4 : 0;
        if (size == 0 || n == 0 || n > MostStrips)
            return {};
        const qint64 at = qint64(n) * size <= 4 ? entry + 8 : u32(entry + 8);
        if (!fits(at, qint64(n) * size))
            return {};
        QList<qint64> out;
        out.reserve(n);
        for (quint32 i = 0; i < n; ++i)
            out << (size == 2 ? u16(at + 2 * i) : u32(at + 4 * i));
        return out;
    }

    ByteView m_b;
    bool m_little;
};

bool tiffMagic(const ByteView& b) {
    return b.has(0, "II*\0", 4) || b.has(0, "MM\0*", 4);
}

// The RAWs whose files do not start as a TIFF does: CR3, RAF, ORF, RW2.
bool ownMagic(const ByteView& b) {
    return b.has(4, "ftypcrx ", 8) || b.has(0, "FUJIFILMCCD-RAW", 15) || b.has(0, "IIRO", 4) ||
           b.has(0, "IIRS", 4) || b.has(0, "MMOR", 4) || b.has(0, "IIU\0", 4);
}

// The JPEG a directory holds: through the old JPEG tags, or as the one strip of a compressed
// picture that is no mosaic.
std::optional<EmbeddedPicture> jpegIn(const Directories& d, qint64 ifd) {
    qint64 at = d.value(ifd, JpegAt), length = d.value(ifd, JpegLength);
    if (at < 0) {
        const qint64 compression = d.value(ifd, Compression), colours = d.value(ifd, Photometric);
        const QList<qint64> strips = d.values(ifd, StripOffsets);
        if ((compression != 6 && compression != 7) || (colours != 2 && colours != 6) ||
            strips.size() != 1)
            return {};
        at = strips.first();
        length = d.value(ifd, StripByteCounts);
    }
    if (!d.fits(at, length))
        return {};
    return EmbeddedPicture{true, {}, {{at, length}}};
}

// The 8-bit RGB rows a directory holds uncompressed, when its strips hold them all.
std::optional<EmbeddedPicture> rgbIn(const Directories& d, qint64 ifd) {
    const QList<qint64> bits = d.values(ifd, Bits), offsets = d.values(ifd, StripOffsets),
                        lengths = d.values(ifd, StripByteCounts);
    const qint64 width = d.value(ifd, Width), height = d.value(ifd, Height);
    if (d.value(ifd, Compression, 1) != 1 || d.value(ifd, Photometric) != 2 ||
        d.value(ifd, Samples) != 3 || d.value(ifd, Planar, 1) != 1 ||
        bits != QList<qint64>{8, 8, 8} || width <= 0 || height <= 0 || offsets.isEmpty() ||
        offsets.size() != lengths.size())
        return {};
    EmbeddedPicture picture{
        false,
        QSize(int(std::min<qint64>(width, 1 << 16)), int(std::min<qint64>(height, 1 << 16))),
        {}};
    qint64 held = 0;
    for (qsizetype i = 0; i < offsets.size(); ++i) {
        if (!d.fits(offsets[i], lengths[i]))
            return {};
        picture.pieces << std::pair(offsets[i], lengths[i]);
        held += lengths[i];
    }
    if (held < qint64(picture.size.width()) * picture.size.height() * 3)
        return {};
    return picture;
}

// Each directory of IFD0's chain and their sub-IFDs, once, until visit says it has seen enough.
void walk(const Directories& d, const std::function<bool(qint64)>& visit) {
    QList<qint64> queue{d.first()}, seen;
    while (!queue.isEmpty() && seen.size() < MostDirectories) {
        const qint64 ifd = queue.takeFirst();
        if (seen.contains(ifd) || !d.fits(ifd, 2) || !d.fits(ifd, 2 + 12 * qint64(d.count(ifd))) ||
            d.count(ifd) > MostEntries)
            continue;
        seen << ifd;
        if (!visit(ifd))
            return;
        queue << d.values(ifd, SubIFDs);
        if (const qint64 next = d.next(ifd); next > 0)
            queue << next;
    }
}
} // namespace

bool mayBeCameraRaw(const QByteArray& head) {
    const ByteView b(head.constData(), size_t(head.size()));
    return tiffMagic(b) || ownMagic(b);
}

bool laidOutAsCameraRaw(const QByteArray& file) {
    const ByteView b(file.constData(), size_t(file.size()));
    if (ownMagic(b) || (b.has(0, "II*\0", 4) && b.has(8, "CR", 2)))
        return true;
    const Directories d(file);
    if (!tiffMagic(b))
        return false;
    bool raw = false;
    walk(d, [&](qint64 ifd) {
        const qint64 colours = d.value(ifd, Photometric);
        raw = d.has(ifd, DngVersion) || colours == Mosaic || colours == LinearRaw;
        return !raw;
    });
    return raw;
}

QList<EmbeddedPicture> embeddedPictures(const QByteArray& file) {
    const Directories d(file);
    QList<EmbeddedPicture> found;
    if (d.isTiff())
        walk(d, [&](qint64 ifd) {
            for (const auto& picture : {jpegIn(d, ifd), rgbIn(d, ifd)})
                if (picture)
                    found << *picture;
            return true;
        });
    return found;
}

std::optional<EmbeddedPicture> smallestCovering(const QList<EmbeddedPicture>& pictures,
                                                QSize wanted, QSize whole) {
    if (wanted.isEmpty() || whole.isEmpty())
        return {};
    const double proportion = double(whole.width()) / whole.height();
    std::optional<EmbeddedPicture> best;
    for (const EmbeddedPicture& p : pictures) {
        const QSize s = p.size;
        if (s.isEmpty() || std::abs(double(s.width()) / s.height() / proportion - 1) > 0.05 ||
            s.width() < wanted.width() || s.height() < wanted.height() ||
            10 * qint64(s.width()) > 11 * qint64(whole.width()) ||
            10 * qint64(s.height()) > 11 * qint64(whole.height()))
            continue;
        if (!best ||
            qint64(s.width()) * s.height() < qint64(best->size.width()) * best->size.height())
            best = p;
    }
    return best;
}

} // namespace tovik
