// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/largepicture.h"
#include "imaging/pictures.h"
#include "support/imagecompare.h"
#include "support/largepictures.h"
#include "support/scopedenvironment.h"
#include "support/testmain.h"

#include <QColorSpace>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

#include <tiffio.h>

using namespace tovik;
using namespace tovik::test;

namespace {
// How a test TIFF stores its pixels.
enum class Pixels { Rgb, Rgba, Gray16, Palette };
struct Form {
    Pixels pixels = Pixels::Rgb;
    int tile = 0; // its tiles' side, or 0 for strips
    int rows = 7; // its strips' rows
    uint16_t compression = COMPRESSION_LZW;
    uint16_t orientation = ORIENTATION_TOPLEFT;
    bool profiled = false; // in Adobe RGB, its profile kept
};

} // namespace
Q_DECLARE_METATYPE(Form)
namespace {

int samplesOf(Pixels p) {
    return p == Pixels::Rgb ? 3 : p == Pixels::Rgba ? 4 : 1;
}

// Pixel x of row y of image as the form stores it.
void store(const QImage& image, Pixels pixels, int x, int y, uchar* out) {
    const QRgb p = image.pixel(x, y);
    const uchar alpha = uchar((x + y) % 256); // each alpha, over the scene
    switch (pixels) {
    case Pixels::Rgb:
        out[0] = uchar(qRed(p)), out[1] = uchar(qGreen(p)), out[2] = uchar(qBlue(p));
        break;
    case Pixels::Rgba:
        out[0] = uchar(qRed(p)), out[1] = uchar(qGreen(p)), out[2] = uchar(qBlue(p)),
        out[3] = alpha;
        break;
    case Pixels::Gray16: {
        const uint16_t g = uint16_t(qGray(p) * 256 + x % 256);
        std::memcpy(out, &g, 2);
        break;
    }
    case Pixels::Palette:
        out[0] = uchar(qGray(p));
        break;
    }
}

// Describes a page of tiff of size in form; a reduced one when reduced.
void describePage(TIFF* tiff, QSize size, const Form& form, bool reduced) {
    const int samples = samplesOf(form.pixels);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(size.width()));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(size.height()));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(samples));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(form.pixels == Pixels::Gray16 ? 16 : 8));
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, form.compression);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, form.orientation);
    TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, reduced ? FILETYPE_REDUCEDIMAGE : 0);
    const QByteArray profile = QColorSpace(QColorSpace::AdobeRgb).iccProfile();
    if (form.profiled)
        TIFFSetField(tiff, TIFFTAG_ICCPROFILE, uint32_t(profile.size()), profile.constData());
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC,
                 samples >= 3                     ? PHOTOMETRIC_RGB
                 : form.pixels == Pixels::Palette ? PHOTOMETRIC_PALETTE
                                                  : PHOTOMETRIC_MINISBLACK);
    if (form.pixels == Pixels::Rgba) {
        const uint16_t extra = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    std::vector<uint16_t> red(256), green(256), blue(256); // a palette of its own
    for (int i = 0; i < 256; ++i)
        red[i] = uint16_t(i * 257), green[i] = uint16_t((255 - i) * 257),
        blue[i] = uint16_t((i * 7 % 256) * 257);
    if (form.pixels == Pixels::Palette)
        TIFFSetField(tiff, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
    if (form.tile) {
        TIFFSetField(tiff, TIFFTAG_TILEWIDTH, uint32_t(form.tile));
        TIFFSetField(tiff, TIFFTAG_TILELENGTH, uint32_t(form.tile));
    } else {
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, uint32_t(form.rows));
    }
}

// Writes image as a page of tiff in form; a reduced one when reduced.
void writePage(TIFF* tiff, const QImage& image, const Form& form, bool reduced = false) {
    describePage(tiff, image.size(), form, reduced);
    const int bytes = samplesOf(form.pixels) * (form.pixels == Pixels::Gray16 ? 2 : 1);
    if (form.tile) {
        std::vector<uchar> piece(size_t(form.tile * form.tile * bytes));
        for (int ty = 0; ty < image.height(); ty += form.tile)
            for (int tx = 0; tx < image.width(); tx += form.tile) {
                std::fill(piece.begin(), piece.end(), 0);
                for (int y = ty; y < std::min(ty + form.tile, image.height()); ++y)
                    for (int x = tx; x < std::min(tx + form.tile, image.width()); ++x)
                        store(image, form.pixels, x, y,
                              &piece[size_t(((y - ty) * form.tile + x - tx) * bytes)]);
                TIFFWriteTile(tiff, piece.data(), uint32_t(tx), uint32_t(ty), 0, 0);
            }
    } else {
        std::vector<uchar> row(size_t(image.width() * bytes));
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                store(image, form.pixels, x, y, &row[size_t(x * bytes)]);
            TIFFWriteScanline(tiff, row.data(), uint32_t(y), 0);
        }
    }
    TIFFWriteDirectory(tiff);
}

QString tiffOf(const QTemporaryDir& folder, const QList<QImage>& pages, const Form& form) {
    const QString path = folder.filePath(QStringLiteral("large.tif"));
    TIFF* tiff = TIFFOpen(QFile::encodeName(path).constData(), "w");
    for (qsizetype i = 0; i < pages.size(); ++i)
        writePage(tiff, pages[i], form, i > 0);
    TIFFClose(tiff);
    return path;
}

// libtiff's own decode of the whole first page, over fill.
QImage wholeOf(const QString& path, QRgb fill) {
    TIFF* tiff = TIFFOpen(QFile::encodeName(path).constData(), "r");
    uint32_t width = 0, height = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    QImage decoded(int(width), int(height), QImage::Format_ARGB32_Premultiplied);
    std::vector<uint32_t> raster(size_t(width) * height);
    TIFFReadRGBAImageOriented(tiff, width, height, raster.data(), ORIENTATION_TOPLEFT, 0);
    TIFFClose(tiff);
    for (int y = 0; y < decoded.height(); ++y)
        for (int x = 0; x < decoded.width(); ++x) {
            const uint32_t p = raster[size_t(y) * width + size_t(x)];
            decoded.setPixel(
                x, y,
                qRgba(int(TIFFGetR(p)), int(TIFFGetG(p)), int(TIFFGetB(p)), int(TIFFGetA(p))));
        }
    QImage over(decoded.size(), QImage::Format_RGB32);
    over.fill(fill);
    QPainter(&over).drawImage(0, 0, decoded);
    return over;
}
} // namespace

class TestLargeTiff : public QObject {
    Q_OBJECT
private slots:
    // A TIFF past the bound is read a tile or a few strips at a time: its overview has each box
    // averaged, and its parts are its whole decode's (at a half, its boxes of four), for tiles
    // and strips, each way of storing pixels, and a single strip stored as it is; in the
    // screen's colours where its profile says what its own are.
    void aLargeTiffIsReadInPieces_data() {
        QTest::addColumn<Form>("form");
        QTest::newRow("RGB in strips") << Form{};
        QTest::newRow("RGB in tiles") << Form{Pixels::Rgb, 64, 0, COMPRESSION_ADOBE_DEFLATE};
        QTest::newRow("RGBA in tiles") << Form{Pixels::Rgba, 48, 0, COMPRESSION_NONE};
        QTest::newRow("gray, 16 bits") << Form{Pixels::Gray16, 0, 3, COMPRESSION_PACKBITS};
        QTest::newRow("palette") << Form{Pixels::Palette, 0, 16, COMPRESSION_LZW};
        QTest::newRow("one strip as it is") << Form{Pixels::Rgb, 0, 1100, COMPRESSION_NONE};
        QTest::newRow("RGB in Adobe RGB")
            << Form{Pixels::Rgb, 64, 0, COMPRESSION_LZW, ORIENTATION_TOPLEFT, true};
    }
    void aLargeTiffIsReadInPieces() {
        QFETCH(Form, form);
        const ScopedEnvironment bound("TOVIK_LARGE_PICTURE_PIXELS", "100000");
        const QTemporaryDir folder;
        const QSize size(1203, 1100);
        const QString path = tiffOf(folder, {form.profiled ? smooth(size) : scene(size)}, form);
        const QRgb fill = qRgb(200, 30, 90);
        // As a whole decode turns it into the screen's colours, where it says what they are.
        const QImage whole = form.profiled
                                 ? loadPicture(path).image.convertToFormat(QImage::Format_RGB32)
                                 : wholeOf(path, fill);
        const int by = form.pixels == Pixels::Rgba ? 1 : 0; // one rounding, over the fill
        std::unique_ptr<LargePicture> picture = LargePicture::open(path, fill);
        QVERIFY(picture);
        QCOMPARE(picture->size(), size);
        const QString differs = piecesDiffer(*picture, whole, by, form.profiled);
        QVERIFY2(differs.isEmpty(), qPrintable(differs));
    }

    // A pyramid's overview and reduced parts come from its halved pages, which need not be the
    // first page reduced (here they are another picture): a page that dropped its odd pixel
    // has its last column and row stand in for the one it lacks.
    void aPyramidIsReadFromItsHalvedPages() {
        const ScopedEnvironment bound("TOVIK_LARGE_PICTURE_PIXELS", "400000");
        const QTemporaryDir folder;
        const QImage first = scene({1203, 1101});
        const QImage halved = scene({601, 550}).mirrored(true, false); // odd pixels dropped
        QImage quarter = scene({301, 276}).mirrored(false, true);      // kept
        quarter.invertPixels();
        const Form tiled{Pixels::Rgb, 64, 0, COMPRESSION_ADOBE_DEFLATE};
        const QString path = tiffOf(folder, {first, halved, quarter}, tiled);
        std::unique_ptr<LargePicture> picture = LargePicture::open(path, 0);
        QVERIFY(picture);
        QVERIFY(overviewCame(*picture));
        QCOMPARE(picture->overviewFactor(), 8);
        QCOMPARE(picture->overview(), boxed(quarter, 2));
        QImage half(602, 551,
                    QImage::Format_RGB32); // the halved page, its last column and row twice
        QPainter(&half).drawImage(0, 0, halved);
        QPainter(&half).drawImage(601, 0, halved.copy(600, 0, 1, 550));
        QPainter(&half).drawImage(0, 550, half.copy(0, 549, 602, 1));
        for (const LargePicture::Part& part : partsCome(*picture, QRect(0, 0, 602, 551), 2, 4))
            QCOMPARE(part.image, half.copy(part.rect));
        const QImage whole = first.convertToFormat(QImage::Format_RGB32);
        for (const LargePicture::Part& part : partsCome(*picture, QRect(512, 512, 100, 100), 1, 1))
            QCOMPARE(part.image, whole.copy(part.rect));
        // A sheet's thumbnail, as large as a box of 150 holds it, comes from the quarter page.
        QSize claimed;
        const QImage thumbnail = LargePicture::thumbnail(path, {1, 15, 15, 150}, &claimed);
        QCOMPARE(claimed, QSize(1203, 1101));
        QCOMPARE(thumbnail.size(), QSize(150, 137));
        QVERIFY(difference(boxed(thumbnail, 1000), boxed(quarter, 1000)).worst <= 2);
    }

    // One stored turned keeps the budget (its parts would be shown unturned), as one whose
    // strips pass what a piece may take; a TIFF claiming 65536 x 65536 pixels in a few bytes
    // opens at once and its overview ends where its data do.
    void largeTiffsBeyondReadingInPieces() {
        const ScopedEnvironment bound("TOVIK_LARGE_PICTURE_PIXELS", "100000");
        const QTemporaryDir folder;
        Form turned;
        turned.orientation = ORIENTATION_RIGHTTOP;
        QVERIFY(!LargePicture::open(tiffOf(folder, {scene({400, 300})}, turned), 0));
        const Form oneStrip{Pixels::Rgb, 0, 4200, COMPRESSION_ADOBE_DEFLATE};
        QImage plain(4200, 4200, QImage::Format_RGB32); // 67 MiB decoded as one strip
        plain.fill(Qt::darkCyan);
        QVERIFY(!LargePicture::open(tiffOf(folder, {plain}, oneStrip), 0));
        QVERIFY(LargePicture::open(tiffOf(folder, {scene({400, 300})}, Form{}), 0));

        // One tile of 65536 written, the offsets of the others left naught.
        const QString claims = folder.filePath(QStringLiteral("claims.tif"));
        TIFF* tiff = TIFFOpen(QFile::encodeName(claims).constData(), "w8");
        describePage(tiff, {65536, 65536}, Form{Pixels::Rgb, 256, 0, COMPRESSION_NONE}, false);
        std::vector<uchar> tile(256 * 256 * 3, 99);
        TIFFWriteTile(tiff, tile.data(), 0, 0, 0, 0);
        TIFFClose(tiff);
        QVERIFY(QFileInfo(claims).size() < 2 << 20);
        std::unique_ptr<LargePicture> picture = LargePicture::open(claims, 0);
        QVERIFY(picture);
        QCOMPARE(picture->size(), QSize(65536, 65536));
        QVERIFY(overviewCame(*picture));
    }
};

TOVIK_REGISTER_TEST(TestLargeTiff)
#include "test_largetiff.moc"
