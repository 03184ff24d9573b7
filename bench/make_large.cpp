// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// Writes the large pictures the large-picture benchmark reads: a panorama tiled from real
// photographs, a row at a time, so that making it never holds the picture.
//   make_large jpeg OUT WIDTH HEIGHT PHOTO...
//   make_large png OUT WIDTH HEIGHT PHOTO...   (8-bit RGB, each row filtered Up, deflated fast)
//   make_large tiff OUT WIDTH HEIGHT PHOTO...  (tiles of 256, JPEG-compressed, as maps are)
//   make_large pyramid OUT WIDTH HEIGHT PHOTO... (the same, then pages of it halved and halved
//                                                 again, down to 512 pixels wide or less)

#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QStringList>

#include <cstdio>
#include <vector>

#include <jpeglib.h>
#include <tiffio.h>
#include <zlib.h>

namespace {
constexpr int Across = 10, Down = 8;

// The photos of one band of the panorama, each scaled to its tile.
std::vector<QImage> band(const QStringList& photos, int row, QSize tile) {
    std::vector<QImage> tiles;
    for (int column = 0; column < Across; ++column) {
        QImageReader reader(photos[(row * Across + column) % photos.size()]);
        reader.setAutoTransform(true);
        reader.setScaledSize(tile);
        tiles.push_back(reader.read().convertToFormat(QImage::Format_RGB888));
        if (tiles.back().size() != tile)
            tiles.back() = QImage(tile, QImage::Format_RGB888), tiles.back().fill(Qt::gray);
    }
    return tiles;
}

// The panorama's rows one after another, RGB.
class Rows {
public:
    Rows(int width, int height, const QStringList& photos)
        : m_width(width), m_photos(photos),
          m_tile((width + Across - 1) / Across, (height + Down - 1) / Down),
          m_row(size_t(width) * 3) {}
    const unsigned char* row(int y) {
        if (y % m_tile.height() == 0)
            m_tiles = band(m_photos, y / m_tile.height(), m_tile);
        for (int column = 0; column < Across; ++column) {
            const int x = column * m_tile.width(), w = std::min(m_tile.width(), m_width - x);
            if (w > 0)
                std::copy_n(m_tiles[size_t(column)].constScanLine(y % m_tile.height()), w * 3,
                            m_row.data() + size_t(x) * 3);
        }
        return m_row.data();
    }

private:
    int m_width;
    QStringList m_photos;
    QSize m_tile;
    std::vector<unsigned char> m_row;
    std::vector<QImage> m_tiles;
};

// The panorama's rows halved times over (each box of pixels averaged), one after another.
class HalvedRows {
public:
    HalvedRows(int width, int height, const QStringList& photos, int times)
        : m_rows(width, height, photos), m_width(width), m_height(height), m_box(1 << times),
          m_sums(size_t(size().width()) * 3), m_out(m_sums.size()) {}
    QSize size() const { return {(m_width + m_box - 1) / m_box, (m_height + m_box - 1) / m_box}; }
    const unsigned char* row(int y) {
        std::fill(m_sums.begin(), m_sums.end(), 0);
        const int first = y * m_box, count = std::min(m_box, m_height - first);
        for (int j = first; j < first + count; ++j) {
            const unsigned char* row = m_rows.row(j);
            for (int x = 0; x < m_width; ++x)
                for (int c = 0; c < 3; ++c)
                    m_sums[size_t(x / m_box) * 3 + size_t(c)] += row[size_t(x) * 3 + size_t(c)];
        }
        for (size_t i = 0; i < m_out.size(); ++i) {
            const int across = std::min(m_box, m_width - int(i / 3) * m_box);
            m_out[i] = (unsigned char)(m_sums[i] / unsigned(count * across));
        }
        return m_out.data();
    }

private:
    Rows m_rows;
    int m_width, m_height, m_box;
    std::vector<unsigned> m_sums;
    std::vector<unsigned char> m_out;
};

// One page of the TIFF: the panorama halved times over, in tiles of 256, JPEG-compressed.
void writeTiffPage(TIFF* tiff, int width, int height, const QStringList& photos, int times) {
    constexpr int Tile = 256;
    HalvedRows rows(width, height, photos, times);
    const QSize size = rows.size();
    TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, times ? FILETYPE_REDUCEDIMAGE : 0);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(size.width()));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(size.height()));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_TILEWIDTH, Tile);
    TIFFSetField(tiff, TIFFTAG_TILELENGTH, Tile);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_JPEG);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_YCBCR);
    TIFFSetField(tiff, TIFFTAG_JPEGQUALITY, 90);
    TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    const size_t line = size_t(size.width()) * 3;
    std::vector<unsigned char> band(line * Tile), tile(size_t(Tile) * Tile * 3);
    for (int top = 0; top < size.height(); top += Tile) {
        std::fill(band.begin(), band.end(), 0);
        for (int y = top; y < std::min(size.height(), top + Tile); ++y)
            std::copy_n(rows.row(y), line, band.data() + size_t(y - top) * line);
        for (int left = 0; left < size.width(); left += Tile) {
            const size_t across = size_t(std::min(Tile, size.width() - left)) * 3;
            std::fill(tile.begin(), tile.end(), 0);
            for (int y = 0; y < Tile; ++y)
                std::copy_n(band.data() + size_t(y) * line + size_t(left) * 3, across,
                            tile.data() + size_t(y) * Tile * 3);
            TIFFWriteTile(tiff, tile.data(), uint32_t(left), uint32_t(top), 0, 0);
        }
    }
    TIFFWriteDirectory(tiff);
}

int writeTiff(const char* out, int width, int height, const QStringList& photos, bool pyramid) {
    TIFF* tiff = TIFFOpen(out, "w8");
    if (!tiff)
        return 1;
    for (int times = 0; times == 0 || (pyramid && (width >> (times - 1)) > 512); ++times)
        writeTiffPage(tiff, width, height, photos, times);
    TIFFClose(tiff);
    return 0;
}

void chunk(std::FILE* file, const char* type, const unsigned char* data, size_t length) {
    const unsigned char size[4] = {(unsigned char)(length >> 24), (unsigned char)(length >> 16),
                                   (unsigned char)(length >> 8), (unsigned char)length};
    std::fwrite(size, 1, 4, file);
    std::fwrite(type, 1, 4, file);
    std::fwrite(data, 1, length, file);
    uLong crc = crc32(crc32(0, reinterpret_cast<const Bytef*>(type), 4), data, uInt(length));
    const unsigned char sum[4] = {(unsigned char)(crc >> 24), (unsigned char)(crc >> 16),
                                  (unsigned char)(crc >> 8), (unsigned char)crc};
    std::fwrite(sum, 1, 4, file);
}

int writePng(const char* out, int width, int height, const QStringList& photos) {
    std::FILE* file = std::fopen(out, "wb");
    if (!file)
        return 1;
    std::fwrite("\x89PNG\r\n\x1a\n", 1, 8, file);
    const unsigned char header[13] = {(unsigned char)(width >> 24),
                                      (unsigned char)(width >> 16),
                                      (unsigned char)(width >> 8),
                                      (unsigned char)width,
                                      (unsigned char)(height >> 24),
                                      (unsigned char)(height >> 16),
                                      (unsigned char)(height >> 8),
                                      (unsigned char)height,
                                      8,
                                      2,
                                      0,
                                      0,
                                      0};
    chunk(file, "IHDR", header, sizeof header);
    z_stream z{};
    deflateInit(&z, 1);
    std::vector<unsigned char> filtered(size_t(width) * 3 + 1), before(size_t(width) * 3),
        compressed(size_t(1) << 20);
    Rows rows(width, height, photos);
    const auto flush = [&](int mode) {
        do {
            z.next_out = compressed.data();
            z.avail_out = uInt(compressed.size());
            deflate(&z, mode);
            const size_t made = compressed.size() - z.avail_out;
            if (made)
                chunk(file, "IDAT", compressed.data(), made);
        } while (z.avail_out == 0 || (mode == Z_FINISH && z.avail_in));
    };
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = rows.row(y);
        filtered[0] = 2; // Up
        for (size_t i = 0; i < before.size(); ++i)
            filtered[i + 1] = (unsigned char)(row[i] - before[i]);
        std::copy_n(row, before.size(), before.data());
        z.next_in = filtered.data();
        z.avail_in = uInt(filtered.size());
        while (z.avail_in)
            flush(Z_NO_FLUSH);
    }
    flush(Z_FINISH);
    deflateEnd(&z);
    chunk(file, "IEND", nullptr, 0);
    return std::fclose(file) == 0 ? 0 : 1;
}

int writeJpeg(const char* out, int width, int height, const QStringList& photos) {
    std::FILE* file = std::fopen(out, "wb");
    if (!file)
        return 1;
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    Rows rows(width, height, photos);
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = rows.row(y);
        auto* at = const_cast<JSAMPROW>(row);
        jpeg_write_scanlines(&info, &at, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0 ? 0 : 1;
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QStringList formats{"jpeg", "png", "tiff", "pyramid"};
    if (args.size() < 6 || !formats.contains(args[1])) {
        std::fprintf(stderr, "usage: make_large jpeg|png|tiff|pyramid OUT WIDTH HEIGHT PHOTO...\n");
        return 2;
    }
    const int width = args[3].toInt(), height = args[4].toInt();
    if (args[1] == QLatin1String("tiff") || args[1] == QLatin1String("pyramid"))
        return writeTiff(argv[2], width, height, args.mid(5), args[1] == QLatin1String("pyramid"));
    return (args[1] == QLatin1String("png") ? writePng : writeJpeg)(argv[2], width, height,
                                                                    args.mid(5));
}
