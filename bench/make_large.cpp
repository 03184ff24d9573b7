// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// Writes the large pictures the large-picture benchmark reads: a panorama tiled from real
// photographs, a row at a time, so that making it never holds the picture.
//   make_large jpeg OUT WIDTH HEIGHT PHOTO...
//   make_large png OUT WIDTH HEIGHT PHOTO...   (8-bit RGB, each row filtered Up, deflated fast)

#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QStringList>

#include <cstdio>
#include <vector>

#include <jpeglib.h>
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
    if (args.size() < 6 || (args[1] != QLatin1String("jpeg") && args[1] != QLatin1String("png"))) {
        std::fprintf(stderr, "usage: make_large jpeg|png OUT WIDTH HEIGHT PHOTO...\n");
        return 2;
    }
    return (args[1] == QLatin1String("png") ? writePng : writeJpeg)(argv[2], args[3].toInt(),
                                                                    args[4].toInt(), args.mid(5));
}
