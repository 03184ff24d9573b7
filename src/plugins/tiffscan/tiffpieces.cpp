// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "plugins/tiffscan/tiffpieces.h"

#include <algorithm>
#include <bit>
#include <cstdarg>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>

namespace tovik::tiffscan {

namespace {
constexpr int MostPages = 32;                  // looked through for a pyramid's
constexpr qint64 ReadBytes = qint64(16) << 20; // strips decoded at once, beyond one
constexpr int PartRows = 1024;                 // parts from whole rows kept: those of the viewer's

// The file libtiff reads, through pread alone: nothing is mapped, nothing written.
struct File {
    int fd = -1;
    toff_t position = 0, size = 0;
};

tmsize_t readFile(thandle_t handle, void* buffer, tmsize_t bytes) {
    auto* file = static_cast<File*>(handle);
    tmsize_t done = 0;
    while (done < bytes) {
        const ssize_t got = pread(file->fd, static_cast<char*>(buffer) + done, size_t(bytes - done),
                                  off_t(file->position));
        if (got <= 0)
            break;
        done += got;
        file->position += toff_t(got);
    }
    return done;
}
tmsize_t writeNothing(thandle_t, void*, tmsize_t) {
    return -1;
}
toff_t seekFile(thandle_t handle, toff_t offset, int whence) {
    auto* file = static_cast<File*>(handle);
    const toff_t from = whence == SEEK_CUR ? file->position : whence == SEEK_END ? file->size : 0;
    return file->position = from + offset;
}
int closeNothing(thandle_t) {
    return 0;
}
toff_t sizeOf(thandle_t handle) {
    return static_cast<File*>(handle)->size;
}
int mapNothing(thandle_t, void**, toff_t*) {
    return 0;
}
void unmapNothing(thandle_t, void*, toff_t) {}
int quiet(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

int roundUp(qint64 n, int step) {
    return int(std::min<qint64>((n + step - 1) / step * step, INT32_MAX / 2));
}

// The RGB32 rows boxes are written into: shared by the threads that fill them.
struct Target {
    uchar* bits;
    qsizetype stride;
    QSize size;
};

// Sums of the boxes of factor over a piece of the picture, three a box, then their averages.
struct Boxes {
    int columns, rows, shift, across;
    std::vector<quint32> sums;
    Boxes(int columns, int rows, int factor)
        : columns(columns), rows(rows), shift(std::countr_zero(unsigned(factor))),
          across((columns + factor - 1) / factor),
          sums(size_t(across) * size_t((rows + factor - 1) / factor) * 3) {}

    // Adds a read of count rows (as libtiff gives them: ABGR, alpha premultiplied) from row y.
    void add(const std::vector<uint32_t>& raster, int y, int count, QRgb fill) {
        const int factor = 1 << shift;
        for (int j = 0; j < count; ++j) {
            quint32* sum = &sums[size_t((y + j) >> shift) * size_t(across) * 3];
            const uint32_t* p = &raster[size_t(j) * size_t(columns)];
            for (int x = 0; x < columns; x += factor, sum += 3) {
                quint32 r = 0, g = 0, b = 0;
                for (const uint32_t* end = p + std::min(factor, columns - x); p < end; ++p) {
                    const uint32_t pixel = TIFFGetA(*p) == 255 ? *p : over(*p, fill);
                    r += TIFFGetR(pixel), g += TIFFGetG(pixel), b += TIFFGetB(pixel);
                }
                sum[0] += r, sum[1] += g, sum[2] += b;
            }
        }
    }

    // A pixel not opaque over fill, as libtiff packs one.
    static uint32_t over(uint32_t p, QRgb fill) {
        const uint32_t keep = 255 - TIFFGetA(p);
        return (TIFFGetR(p) + (qRed(fill) * keep + 127) / 255) |
               (TIFFGetG(p) + (qGreen(fill) * keep + 127) / 255) << 8 |
               (TIFFGetB(p) + (qBlue(fill) * keep + 127) / 255) << 16;
    }

    // The averages into out from (x, y) on, as far as out goes.
    void write(const Target& out, int x, int y) const {
        const int factor = 1 << shift;
        for (int j = 0; j * factor < rows && y + j < out.size.height(); ++j) {
            auto* line = reinterpret_cast<QRgb*>(out.bits + (y + j) * out.stride);
            const quint32 high = quint32(std::min(factor, rows - j * factor));
            for (int i = 0; i < across && x + i < out.size.width(); ++i) {
                const quint32 n = high * quint32(std::min(factor, columns - i * factor));
                const quint32* sum = &sums[(size_t(j) * size_t(across) + size_t(i)) * 3];
                line[x + i] = qRgb(int((sum[0] + n / 2) / n), int((sum[1] + n / 2) / n),
                                   int((sum[2] + n / 2) / n));
            }
        }
    }
};

// Where out holds more than came (a page halved with its odd pixel dropped), the last column
// and row that came stand in.
void extend(QImage& out, QSize came) {
    for (int y = 0; y < std::min(came.height(), out.height()); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        std::fill(line + came.width(), line + out.width(), line[came.width() - 1]);
    }
    for (int y = came.height(); y < out.height(); ++y)
        std::copy_n(out.constScanLine(came.height() - 1), out.bytesPerLine(), out.scanLine(y));
}

TIFF* openTiff(File* file) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, 2 * TiffPieces::MostPieceBytes);
    TIFFOpenOptionsSetErrorHandlerExtR(options, quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, quiet, nullptr);
    TIFF* tiff = TIFFClientOpenExt("picture", "rmC", file, readFile, writeNothing, seekFile,
                                   closeNothing, sizeOf, mapNothing, unmapNothing, options);
    TIFFOpenOptionsFree(options);
    return tiff;
}

// One libtiff handle reading a page: each thread its own.
struct Reader {
    TIFFRGBAImage image{};
    std::vector<uint32_t> raster;
    bool begun = false;
    Reader(TIFF* tiff, int directory) {
        char message[1024];
        begun = tiff &&
                (TIFFCurrentDirectory(tiff) == tdir_t(directory) ||
                 TIFFSetDirectory(tiff, tdir_t(directory))) &&
                TIFFRGBAImageBegin(&image, tiff, 0, message);
        image.req_orientation = ORIENTATION_TOPLEFT;
    }
    ~Reader() {
        if (begun)
            TIFFRGBAImageEnd(&image);
    }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // The boxes of f over piece (in the page's pixels), decoded most rows at a time, into out
    // at at.
    bool read(const QRect& piece, int f, int most, QRgb fill, const Target& out, QPoint at) {
        Boxes boxes(piece.width(), piece.height(), f);
        for (int y = 0; y < piece.height(); y += most) {
            const int count = std::min(most, piece.height() - y);
            raster.resize(size_t(piece.width()) * size_t(count));
            image.row_offset = piece.top() + y;
            image.col_offset = piece.left();
            if (!begun ||
                !TIFFRGBAImageGet(&image, raster.data(), uint32_t(piece.width()), uint32_t(count)))
                return false;
            boxes.add(raster, y, count, fill);
        }
        boxes.write(out, at.x(), at.y());
        return true;
    }
};
} // namespace

// The file, and libtiff's handles on it: a second for a second thread, opened when wanted.
struct TiffPieces::Handle {
    File file, other;
    TIFF* tiff = nullptr;
    TIFF* second = nullptr;
    TIFF* secondHandle() {
        if (!second) {
            other = File{file.fd, 0, file.size};
            second = openTiff(&other);
        }
        return second;
    }
    ~Handle() {
        for (TIFF* t : {tiff, second})
            if (t)
                TIFFClose(t);
        ::close(file.fd);
    }
};

namespace {
// The page libtiff is at, when it can be read in pieces.
std::optional<TiffPieces::Level> levelHere(TIFF* tiff, int directory) {
    uint32_t width = 0, height = 0, pieceWidth = 0, pieceHeight = 0;
    uint16_t orientation = ORIENTATION_TOPLEFT;
    char message[1024];
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &orientation);
    if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX ||
        orientation != ORIENTATION_TOPLEFT || !TIFFRGBAImageOK(tiff, message))
        return {};
    TiffPieces::Level level;
    level.directory = directory;
    level.size = QSize(int(width), int(height));
    level.tiled = TIFFIsTiled(tiff);
    if (level.tiled) {
        TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &pieceWidth);
        TIFFGetField(tiff, TIFFTAG_TILELENGTH, &pieceHeight);
    } else {
        pieceWidth = width;
        TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &pieceHeight);
        pieceHeight = std::min(pieceHeight, height);
    }
    if (pieceWidth == 0 || pieceHeight == 0 ||
        qint64(pieceWidth) * pieceHeight * 4 > TiffPieces::MostPieceBytes)
        return {};
    level.piece = QSize(int(pieceWidth), int(pieceHeight));
    return level;
}

// Whether next is level halved scale times over, its odd pixels kept or dropped.
bool halves(QSize level, QSize next, int scale) {
    const auto side = [&](int full, int half) {
        return qAbs((full + scale - 1) / scale - half) <= 1;
    };
    return side(level.width(), next.width()) && side(level.height(), next.height());
}
} // namespace

std::unique_ptr<TiffPieces> TiffPieces::open(int fd) {
    struct stat info {};
    const int own = fd < 0 || fstat(fd, &info) != 0 ? -1 : ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (own < 0)
        return {};
    std::unique_ptr<TiffPieces> pieces(new TiffPieces);
    pieces->m_handle = std::make_unique<Handle>();
    Handle& handle = *pieces->m_handle;
    handle.file = File{own, 0, toff_t(info.st_size)};
    handle.tiff = openTiff(&handle.file);
    if (!handle.tiff)
        return {};
    pieces->findLevels();
    return pieces->m_levels.empty() ? nullptr : std::move(pieces);
}

TiffPieces::~TiffPieces() = default;

void TiffPieces::findLevels() {
    TIFF* tiff = m_handle->tiff;
    const std::optional<Level> first = levelHere(tiff, 0);
    if (!first)
        return;
    m_levels.push_back(*first);
    uint32_t length = 0;
    const void* profile = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_ICCPROFILE, &length, &profile) && profile)
        m_profile = QByteArray(static_cast<const char*>(profile), qsizetype(length));
    for (int directory = 1; directory < MostPages && TIFFReadDirectory(tiff); ++directory) {
        uint32_t kind = 0;
        TIFFGetFieldDefaulted(tiff, TIFFTAG_SUBFILETYPE, &kind);
        std::optional<Level> next =
            kind & FILETYPE_REDUCEDIMAGE ? levelHere(tiff, directory) : std::nullopt;
        const int scale = 2 * m_levels.back().scale;
        if (next && scale <= 1024 && halves(first->size, next->size, scale)) {
            next->scale = scale;
            m_levels.push_back(*next);
        }
    }
}

const TiffPieces::Level& TiffPieces::levelFor(int factor) const {
    auto level = m_levels.begin();
    while (level + 1 != m_levels.end() && (level + 1)->scale <= factor)
        ++level;
    return *level;
}

bool TiffPieces::read(const QRect& rect, int factor, QRgb fill, QImage& out,
                      const std::function<void(int)>& progress) {
    const Level& level = levelFor(factor);
    const int f = factor / level.scale;
    const QRect within =
        rect & QRect(0, 0, (level.size.width() + f - 1) / f, (level.size.height() + f - 1) / f);
    if (factor < 1 || (factor & (factor - 1)) || out.format() != QImage::Format_RGB32 ||
        within.topLeft() != rect.topLeft() || out.size() != rect.size())
        return false;
    const QRect pixels =
        QRect(within.topLeft() * f, within.size() * f) & QRect(QPoint(0, 0), level.size);
    if (!readLevel(level, pixels, f, fill, out, progress))
        return false;
    extend(out, within.size());
    return true;
}

bool TiffPieces::readLevel(const Level& level, const QRect& pixels, int f, QRgb fill, QImage& out,
                           const std::function<void(int)>& progress) {
    // Bands of whole boxes and whole pieces; a tile column at a time; strips as many as fit.
    const int band = roundUp(level.piece.height(), f);
    const int chunk = level.tiled ? roundUp(level.piece.width(), f) : pixels.width();
    const int most = level.tiled
                         ? band
                         : int(std::clamp<qint64>(ReadBytes / (qint64(chunk) * 4) /
                                                      level.piece.height() * level.piece.height(),
                                                  level.piece.height(), band));
    const Target target{out.bits(), out.bytesPerLine(), out.size()};
    Reader here(m_handle->tiff, level.directory);
    // Tiles side by side are decoded by two threads, each with a handle of its own.
    std::unique_ptr<Reader> there;
    if (level.tiled && pixels.width() > chunk && m_handle->secondHandle())
        there = std::make_unique<Reader>(m_handle->second, level.directory);
    std::vector<QRect> pieces;
    bool whole = true;
    for (int top = pixels.top(), rows = 0; whole && top <= pixels.bottom(); top += rows) {
        pieces.clear();
        rows = std::min(pixels.bottom() + 1, (top / band + 1) * band) - top;
        for (int left = pixels.left(); left <= pixels.right(); left += pieces.back().width())
            pieces.emplace_back(
                left, top, std::min(pixels.right() + 1, (left / chunk + 1) * chunk) - left, rows);
        const auto readEvery = [&](Reader& reader, size_t first) {
            bool all = true;
            for (size_t i = first; all && i < pieces.size(); i += there ? 2 : 1)
                all =
                    reader.read(pieces[i], f, most, fill, target,
                                {(pieces[i].left() - pixels.left()) / f, (top - pixels.top()) / f});
            return all;
        };
        bool beside = true;
        std::thread other;
        if (there)
            other = std::thread([&] { beside = readEvery(*there, 1); });
        whole = readEvery(here, 0);
        if (other.joinable())
            other.join();
        whole = whole && beside;
        progress((top + rows - pixels.top() + f - 1) / f);
    }
    return whole;
}

QImage TiffPieces::region(const QRect& rect, int factor, QRgb fill) {
    const QSize reduced((size().width() + factor - 1) / factor,
                        (size().height() + factor - 1) / factor);
    const QRect inside = rect & QRect(QPoint(0, 0), reduced);
    if (inside.isEmpty())
        return {};
    if (levelFor(factor).tiled || inside.height() > PartRows) {
        QImage out(inside.size(), QImage::Format_RGB32);
        return !out.isNull() && read(inside, factor, fill, out, [](int) {}) ? out : QImage();
    }
    return m_rows.part(inside, factor, fill, reduced.width(), [&](QImage& strip, int top) {
        return read(QRect(QPoint(0, top), strip.size()), factor, fill, strip, [](int) {});
    });
}

} // namespace tovik::tiffscan
