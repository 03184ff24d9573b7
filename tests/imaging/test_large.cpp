// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/large/jpegindex.h"
#include "imaging/large/largejpeg.h"
#include "support/testmain.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <jpeglib.h>
#include <unistd.h>

using namespace tovik;
using namespace tovik::large;

namespace {
// A scene with detail at every scale: gradients, a grid, noise, so that DCs jump about.
QImage scene(QSize size) {
    QImage image(size, QImage::Format_RGB888);
    QRandomGenerator random(7);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const int noise = int(random.bounded(60));
            const bool grid = (x / 37 + y / 23) % 2;
            image.setPixel(x, y,
                           qRgb((x * 255 / size.width() + noise) % 256,
                                grid ? 220 - noise : (y * 3) % 256, (x ^ y) & 0xff));
        }
    return image;
}

// The scene written as a baseline JPEG by libjpeg: sampling 2x2 (4:2:0), 2x1, 1x1, or gray (0),
// with a restart every restartRows MCU rows (none at 0).
QByteArray jpegOf(const QImage& image, int sampling, int restartRows = 0, int quality = 90) {
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = JDIMENSION(image.width());
    info.image_height = JDIMENSION(image.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (sampling == 0)
        jpeg_set_colorspace(&info, JCS_GRAYSCALE);
    else
        info.comp_info[0].h_samp_factor = sampling == 1 ? 1 : 2,
        info.comp_info[0].v_samp_factor = sampling == 2 ? 2 : 1;
    info.restart_in_rows = restartRows;
    jpeg_start_compress(&info, TRUE);
    for (int y = 0; y < image.height(); ++y) {
        JSAMPROW row = const_cast<uchar*>(image.constScanLine(y));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray bytes(reinterpret_cast<const char*>(out), qsizetype(size));
    std::free(out);
    return bytes;
}

// libjpeg's own decode of the whole at 1/denominator, RGB32.
QImage wholeAt(const QByteArray& file, int denominator) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const uchar*>(file.constData()), file.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRX;
    info.scale_num = 1;
    info.scale_denom = unsigned(denominator);
    jpeg_start_decompress(&info);
    QImage image(int(info.output_width), int(info.output_height), QImage::Format_RGB32);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return image;
}

struct Opened {
    QTemporaryDir folder;
    int fd = -1;
    std::unique_ptr<LargeJpeg> jpeg;
    std::vector<IndexPoint> index;
    QImage overview;
    explicit Opened(const QByteArray& bytes, Reduction reduction = {8, 1}) {
        QFile file(folder.filePath(QStringLiteral("large.jpg")));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        file.close();
        fd = ::open(QFile::encodeName(file.fileName()).constData(), O_RDONLY | O_CLOEXEC);
        jpeg = LargeJpeg::open(fd);
        if (!jpeg)
            return;
        index.resize(size_t(indexBytes(jpeg->layout())) / sizeof(IndexPoint));
        overview = QImage(reduction.of(jpeg->layout().size), QImage::Format_RGB32);
        if (!jpeg->overview(overview, reduction, index.data(), [](int) {}))
            overview = QImage();
    }
    ~Opened() { ::close(fd); }
};
} // namespace

class TestLarge : public QObject {
    Q_OBJECT
private slots:
    // Every region, at every scale, is pixel for pixel the same part of a decode of the whole:
    // across MCU and index-point edges, at the picture's ragged right and bottom, for each
    // sampling, with restart markers in the file and without.
    void regionsAreThoseOfTheWholeDecode_data() {
        QTest::addColumn<int>("sampling");
        QTest::addColumn<int>("restartRows");
        QTest::newRow("4:2:0") << 2 << 0;
        QTest::newRow("4:2:2 with restarts") << 1 << 1;
        QTest::newRow("4:4:4") << 3 << 0;
        QTest::newRow("gray with restarts") << 0 << 2;
        QTest::newRow("4:2:0 with restarts") << 2 << 3;
    }
    void regionsAreThoseOfTheWholeDecode() {
        QFETCH(int, sampling);
        QFETCH(int, restartRows);
        const QByteArray file = jpegOf(scene({1203, 517}), sampling, restartRows);
        const Opened opened(file);
        QVERIFY(opened.jpeg);
        QVERIFY(!opened.overview.isNull());
        QCOMPARE(opened.jpeg->indexedRows(), opened.jpeg->layout().mcusDown());
        for (const int denominator : {1, 2, 4, 8}) {
            const QImage whole = wholeAt(file, denominator);
            for (const QRect& rect :
                 {QRect(0, 0, 64, 64), QRect(250, 130, 333, 77), QRect(1100, 480, 200, 100),
                  QRect(17, 300, 1203, 9), QRect(0, 0, 1203, 517)}) {
                const QRect at(rect.topLeft() / denominator,
                               rect.size() / denominator + QSize(1, 1));
                const QImage expected = whole.copy(at & whole.rect());
                if (expected.isNull())
                    continue;
                const QImage region = opened.jpeg->region(at, denominator);
                QVERIFY2(region == expected, qPrintable(QStringLiteral("1/%1 at %2,%3 %4x%5")
                                                            .arg(denominator)
                                                            .arg(at.x())
                                                            .arg(at.y())
                                                            .arg(at.width())
                                                            .arg(at.height())));
            }
        }
    }
};

TOVIK_REGISTER_TEST(TestLarge)
#include "test_large.moc"
