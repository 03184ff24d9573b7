// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// Writes the large pictures the large-picture benchmark reads: a panorama tiled from real
// photographs, a row at a time, so that making it never holds the picture.
//   make_large jpeg OUT WIDTH HEIGHT PHOTO...

#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QStringList>

#include <cstdio>
#include <vector>

#include <jpeglib.h>

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
    const QSize tile((width + Across - 1) / Across, (height + Down - 1) / Down);
    std::vector<unsigned char> row(size_t(width) * 3);
    std::vector<QImage> tiles;
    for (int y = 0; y < height; ++y) {
        if (y % tile.height() == 0)
            tiles = band(photos, y / tile.height(), tile);
        for (int column = 0; column < Across; ++column) {
            const int x = column * tile.width(), w = std::min(tile.width(), width - x);
            if (w > 0)
                std::copy_n(tiles[size_t(column)].constScanLine(y % tile.height()), w * 3,
                            row.data() + size_t(x) * 3);
        }
        JSAMPROW at = row.data();
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
    if (args.size() < 6 || args[1] != QLatin1String("jpeg")) {
        std::fprintf(stderr, "usage: make_large jpeg OUT WIDTH HEIGHT PHOTO...\n");
        return 2;
    }
    return writeJpeg(argv[2], args[3].toInt(), args[4].toInt(), args.mid(5));
}
