// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/large/largejpeg.h"
#include "imaging/largepicture.h"
#include "imaging/pictures.h"
#include "plugins/jpegscan/jpegindex.h"
#include "plugins/pngscan/pngrows.h"
#include "support/imagecompare.h"
#include "support/largepictures.h"
#include "support/modernfiles.h"
#include "support/scopedenvironment.h"
#include "support/testmain.h"

#include <QSignalSpy>

#include <QColorSpace>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cstdio>
#include <vector>

#include <csignal>

#include <fcntl.h>
#include <jpeglib.h>
#include <unistd.h>
#include <zlib.h>

using namespace tovik;
using namespace tovik::large;
using namespace tovik::jpegscan;
using namespace tovik::test;

namespace {
// The scene written as a baseline JPEG by libjpeg: sampling 2x2 (4:2:0), 2x1, 1x1, or gray (0),
// with a restart every restartRows MCU rows (none at 0).
QByteArray jpegOf(const QImage& image, int sampling, int restartRows = 0,
                  bool progressive = false) {
    return test::libjpegFile(image, [&](jpeg_compress_struct& info) {
        if (progressive)
            jpeg_simple_progression(&info);
        if (sampling == 0)
            jpeg_set_colorspace(&info, JCS_GRAYSCALE);
        else
            info.comp_info[0].h_samp_factor = sampling == 1 ? 1 : 2,
            info.comp_info[0].v_samp_factor = sampling == 2 ? 2 : 1;
        info.restart_in_rows = restartRows;
    });
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

// A PNG chunk of type holding data.
QByteArray pngChunk(const char* type, const QByteArray& data) {
    QByteArray length(4, 0);
    qToBigEndian<quint32>(quint32(data.size()), length.data());
    const QByteArray body = QByteArray(type) + data;
    QByteArray crc(4, 0);
    qToBigEndian<quint32>(
        quint32(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size()))),
        crc.data());
    return length + body + crc;
}

QString written(const QTemporaryDir& folder, const QByteArray& bytes) {
    const QString path = folder.filePath(QStringLiteral("large.jpg"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

struct Opened {
    QTemporaryDir folder;
    int fd = -1;
    std::unique_ptr<LargeJpeg> jpeg;
    std::vector<IndexPoint> index;
    QImage overview;
    explicit Opened(const QByteArray& bytes, Reduction reduction = {8, 1}) {
        fd = ::open(QFile::encodeName(written(folder, bytes)).constData(), O_RDONLY | O_CLOEXEC);
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

    // The overview is libjpeg's decode at the DCT scale, then boxes averaged, in one pass; the
    // reduction is the least that brings a picture to the pixels allowed.
    void theOverviewIsTheWholeReduced() {
        const QByteArray file = jpegOf(scene({1203, 517}), 2);
        for (const Reduction reduction : {Reduction{8, 1}, Reduction{8, 4}, Reduction{2, 1}}) {
            const Opened opened(file, reduction);
            QCOMPARE(opened.overview, boxed(wholeAt(file, reduction.scale), reduction.box));
        }
        QCOMPARE(overviewReduction({30000, 20000}, OverviewPixels).factor(), 8);
        QCOMPARE(overviewReduction({65535, 65535}, OverviewPixels).factor(), 16);
        QCOMPARE(overviewReduction({65535, 65535}, OverviewPixels).of({65535, 65535}),
                 QSize(4096, 4096));
        QCOMPARE(overviewReduction({4096, 4096}, OverviewPixels).factor(), 1);
    }

    // Through its own helper, a JPEG past the bound (set low here) opens at once, its overview
    // fills in, and the parts asked for come as they are in the whole decode; a JPEG within it,
    // a progressive one, and no JPEG at all are not large pictures.
    void aLargePictureIsShownFromItsHelper() {
        const test::ScopedEnvironment bound("TOVIK_LARGE_PICTURE_PIXELS", "100000");
        const QTemporaryDir folder;
        const QByteArray file = jpegOf(scene({1203, 517}), 2);
        std::unique_ptr<LargePicture> picture =
            LargePicture::open(written(folder, file), qRgb(1, 2, 3));
        QVERIFY(picture);
        QCOMPARE(picture->size(), QSize(1203, 517));
        QCOMPARE(picture->overviewFactor(), 16); // 6250 pixels at most: 100000 / 16
        QVERIFY(overviewCame(*picture));
        QCOMPARE(picture->overview(), boxed(wholeAt(file, 8), 2));
        const QImage whole = wholeAt(file, 1);
        const QRect view(700, 200, 503, 317); // over four parts, to the picture's corner
        picture->parts(view, 1);
        QSignalSpy arrived(picture.get(), &LargePicture::arrived);
        QList<LargePicture::Part> parts;
        for (int i = 0; i < 100 && (parts = picture->parts(view, 1, false)).size() < 4; ++i)
            arrived.wait(50);
        QCOMPARE(parts.size(), 4);
        for (const LargePicture::Part& part : parts)
            QCOMPARE(part.image, whole.copy(part.rect));
        // A sheet's thumbnail: from an overview of its own, a tenth of the picture's sides.
        // (A picture this small is no large one to loadThumbnail, which tries the whole first.)
        const ThumbnailScale tenth{10, 15, 15};
        QSize claimed;
        const QImage thumbnail =
            LargePicture::thumbnail(folder.filePath("large.jpg"), tenth, &claimed);
        QCOMPARE(claimed, QSize(1203, 517));
        QCOMPARE(thumbnail.size(), tenth.of({1203, 517}));
        const QImage expected =
            whole.scaled(thumbnail.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QPoint middle = expected.rect().center();
        QVERIFY(qAbs(qGray(thumbnail.pixel(middle)) - qGray(expected.pixel(middle))) < 24);

        const test::ScopedEnvironment higher("TOVIK_LARGE_PICTURE_PIXELS", "622000");
        QVERIFY(!LargePicture::open(folder.filePath("large.jpg"), 0));
        const test::ScopedEnvironment lower("TOVIK_LARGE_PICTURE_PIXELS", "1000");
        QVERIFY(!LargePicture::open(written(folder, jpegOf(scene({400, 300}), 2, 0, true)), 0));
        // Stored turned, it would be shown so: it keeps the budget.
        QVERIFY(!LargePicture::open(
            written(folder, test::withExifOrientation(jpegOf(scene({400, 300}), 2), 6)), 0));
        QVERIFY(LargePicture::open(
            written(folder, test::withExifOrientation(jpegOf(scene({400, 300}), 2), 1)), 0));
        QVERIFY(!LargePicture::open(QStringLiteral(TOVIK_TESTDATA "/icon.ico"), 0));
    }

    // A PNG is read row by row: its overview has each box averaged, and its parts, read on from
    // the nearest point above them, are its whole decode's (at a half, its boxes of four), for
    // every form of pixel.
    // Its colours are turned into the screen's as a whole decode's are: through its profile, or
    // its gamma.
    void aLargePngIsReadInPieces_data() {
        QTest::addColumn<QImage::Format>("format");
        QTest::addColumn<int>("by"); // 16 bits a channel are read as their high byte
        QTest::addColumn<QColorSpace>("space");
        QTest::addColumn<int>("gamma"); // a gAMA chunk's, or none at 0
        QTest::newRow("RGB") << QImage::Format_RGB32 << 0 << QColorSpace() << 0;
        QTest::newRow("RGBA") << QImage::Format_ARGB32 << 0 << QColorSpace() << 0;
        QTest::newRow("gray") << QImage::Format_Grayscale8 << 0 << QColorSpace() << 0;
        QTest::newRow("palette") << QImage::Format_Indexed8 << 0 << QColorSpace() << 0;
        QTest::newRow("RGB, 16 bits") << QImage::Format_RGBX64 << 1 << QColorSpace() << 0;
        QTest::newRow("RGB, Adobe RGB")
            << QImage::Format_RGB32 << 2 << QColorSpace(QColorSpace::AdobeRgb) << 0;
        QTest::newRow("RGB, gamma 1.8") << QImage::Format_RGB32 << 2 << QColorSpace() << 55556;
    }
    void aLargePngIsReadInPieces() {
        QFETCH(QImage::Format, format);
        QFETCH(int, by);
        QFETCH(QColorSpace, space);
        QFETCH(int, gamma);
        const test::ScopedEnvironment bound("TOVIK_LARGE_PICTURE_PIXELS", "100000");
        const QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("large.png"));
        // Colours turned are compared smooth: the overview averages its boxes before it turns
        // them, and the scene's boxes are too unlike each other for that to come out the same;
        // even so, a few boxes differ a little.
        const bool tagged = space.isValid() || gamma;
        QImage picture =
            (tagged ? smooth({1203, 1100}) : scene({1203, 1100})).convertToFormat(format);
        picture.setColorSpace(space);
        QVERIFY(picture.save(path));
        if (gamma) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QByteArray bytes = file.readAll();
            QByteArray value(4, 0);
            qToBigEndian<quint32>(quint32(gamma), value.data());
            bytes.insert(33, pngChunk("gAMA", value)); // after IHDR
            file.seek(0);
            file.write(bytes);
        }
        const QImage whole = loadPicture(path).image.convertToFormat(QImage::Format_RGB32);
        // (A profile or a gamma turns the colours: the same pixels untouched would not do.)
        QCOMPARE(whole != QImage(path).convertToFormat(QImage::Format_RGB32), tagged);
        std::unique_ptr<LargePicture> large = LargePicture::open(path, qRgb(9, 9, 9));
        QVERIFY(large);
        const QString differs = piecesDiffer(*large, whole, by, tagged);
        QVERIFY2(differs.isEmpty(), qPrintable(differs));
    }

    // Read on from the nearest point above it, any row is the one read from the top gives: for a
    // picture of detail, with a point every band, and for one so smooth that deflate makes a
    // single block of most of it, whose first point comes only rows past the first band.
    void pngRowsReadOnFromAnyRow() {
        const QTemporaryDir folder;
        for (const QImage& picture : {scene({700, 1100}), smooth({700, 1100})}) {
            const QString path = folder.filePath(QStringLiteral("rows.png"));
            QVERIFY(picture.save(path));
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const std::optional<pngscan::PngLayout> layout = pngscan::pngLayout(file.read(65536));
            QVERIFY(layout);
            std::vector<uchar> points(
                size_t(pngscan::pointCount(*layout) * pngscan::pointBytes(*layout)));
            pngscan::PngRows top(file.handle(), *layout);
            QVERIFY(top.start(points.data()));
            std::vector<QByteArray> rows;
            while (const uchar* row = top.next())
                rows.emplace_back(reinterpret_cast<const char*>(row), layout->rowBytes());
            QCOMPARE(qsizetype(rows.size()), 1100);
            for (const int at : {0, 255, 256, 300, 511, 512, 1099}) {
                pngscan::PngRows from(file.handle(), *layout);
                QVERIFY(from.startAt(points.data(), at));
                const uchar* row = from.next();
                QVERIFY(row);
                QCOMPARE(QByteArray(reinterpret_cast<const char*>(row), layout->rowBytes()),
                         rows[size_t(at)]);
            }
        }
    }

    // Up to 65536 x 65536 pixels a picture is read in pieces; one more row, and it is too large
    // to open, as before. A PNG claiming either in a few bytes opens at once all the same.
    void theLargestPictureReadInPieces() {
        const QTemporaryDir folder;
        const auto claiming = [&](int width, int height) {
            QByteArray png = QByteArray("\x89PNG\r\n\x1a\n", 8);
            const auto chunk = [&](const char* type, const QByteArray& data) {
                png += pngChunk(type, data);
            };
            QByteArray header(13, 0);
            qToBigEndian<quint32>(quint32(width), header.data());
            qToBigEndian<quint32>(quint32(height), header.data() + 4);
            header[8] = 8;
            header[9] = 0; // gray
            chunk("IHDR", header);
            chunk("IDAT", QByteArray("\x78\x9c\x63\x00\x00", 5));
            chunk("IEND", {});
            const QString path =
                folder.filePath(QStringLiteral("%1x%2.png").arg(width).arg(height));
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            file.write(png);
            return path;
        };
        std::unique_ptr<LargePicture> largest = LargePicture::open(claiming(65536, 65536), 0);
        QVERIFY(largest);
        QCOMPARE(largest->size(), QSize(65536, 65536));
        QVERIFY(overviewCame(*largest));
        // The points of the widest pictures, a band of more rows each, stay within their bound.
        pngscan::PngLayout widest;
        widest.size = QSize(65535, 65535);
        widest.colourType = 6;
        QCOMPARE(pngscan::bandRows(widest), 768);
        QVERIFY(pngscan::pointCount(widest) * pngscan::pointBytes(widest) <=
                pngscan::MostPointBytes);
        widest.size = QSize(1203, 1100);
        QCOMPARE(pngscan::bandRows(widest), 256);

        const QString refused = claiming(65536, 65537);
        QVERIFY(!LargePicture::open(refused, 0));
        const PictureLoad load = loadPicture(refused);
        QCOMPARE(load.error, PictureError::TooLarge);
        QCOMPARE(load.claimed, QSize(65536, 65537));
    }

    // Stepping away ends the helper, overview and all, at once; a file that claims 65535 x
    // 65535 pixels in a few hundred bytes opens, its overview ends where its data do, and parts
    // beyond them are simply never drawn.
    void largePicturesEndAndBreakSafely() {
        const test::ScopedEnvironment bound("TOVIK_LARGE_PICTURE_PIXELS", "100000");
        const QTemporaryDir folder;
        std::unique_ptr<LargePicture> picture =
            LargePicture::open(written(folder, jpegOf(scene({1203, 517}), 2)), 0);
        QVERIFY(picture);
        const qint64 helper = picture->helperProcess();
        picture.reset();
        QCOMPARE(::kill(pid_t(helper), 0), -1); // ended and waited for

        QByteArray claims = jpegOf(scene({64, 64}), 2);
        const qsizetype frame = claims.indexOf("\xff\xc0");
        claims[frame + 5] = claims[frame + 6] = claims[frame + 7] = claims[frame + 8] = char(0xff);
        picture = LargePicture::open(written(folder, claims.left(claims.size() - 200)), 0);
        QVERIFY(picture);
        QCOMPARE(picture->size(), QSize(65535, 65535));
        QVERIFY(overviewCame(*picture));
        picture->parts(QRect(60000, 60000, 512, 512), 1);
        QSignalSpy arrived(picture.get(), &LargePicture::arrived);
        arrived.wait(200);
        QVERIFY(picture->parts(QRect(60000, 60000, 512, 512), 1, false).isEmpty());
    }
};

TOVIK_REGISTER_TEST(TestLarge)
#include "test_large.moc"
