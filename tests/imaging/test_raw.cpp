// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/openpicture.h"
#include "imaging/pictures.h"
#include "imaging/turning.h"
#include "support/testmain.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

#include <unistd.h>

using namespace tovik;

namespace {
QString sample(const QString& name) {
    return QStringLiteral(TOVIK_TESTDATA "/") + name;
}

// The samples' scene, as sRGB: a white block top-left, then red, green, blue and gray bands.
const QColor White(0xf3, 0xf3, 0xf3), Red(0xe7, 0x3f, 0x3f), Green(0x3f, 0xe7, 0x3f),
    Blue(0x3f, 0x3f, 0xe7);

bool near(QColor a, QColor b, int by = 40) {
    return qAbs(a.red() - b.red()) < by && qAbs(a.green() - b.green()) < by &&
           qAbs(a.blue() - b.blue()) < by;
}

// The colour in the middle of each band, halfway down (the picture as stored, unturned).
QList<QColor> bands(const QImage& image) {
    QList<QColor> colours;
    for (int band = 0; band < 4; ++band)
        colours << image.pixelColor((2 * band + 1) * image.width() / 8, image.height() / 2);
    return colours;
}

// Where the white block lands once a picture of orientation is upright: 0 top-left, 1 top-right,
// 2 bottom-right, 3 bottom-left.
int cornerOf(int orientation) {
    return QList<int>{0, 0, 1, 2, 3, 0, 1, 2, 3}.at(orientation);
}

QColor corner(const QImage& image, int which) {
    const int x = which == 1 || which == 2 ? image.width() - 2 : 1;
    const int y = which >= 2 ? image.height() - 2 : 1;
    return image.pixelColor(x, y);
}
} // namespace

class TestRaw : public QObject {
    Q_OBJECT
private slots:
    // The preview stands in when its long side is half the sensor's or more: the DNG opens at
    // the preview's size; a smaller preview, or none, and the mosaic is developed.
    void thePreviewServesByTheHalfSizeRule() {
        const PictureLoad preview = loadPicture(sample("camera.dng"));
        QCOMPARE(preview.error, PictureError::None);
        QCOMPARE(preview.image.size(), QSize(120, 90));
        for (const char* name : {"camera_smallpreview.dng", "camera_nopreview.dng"}) {
            const PictureLoad developed = loadPicture(sample(name));
            QCOMPARE(developed.image.size(), QSize(128, 96));
            QCOMPARE(pictureSize(sample(name)), QSize(128, 96));
        }
        // A mosaic to develop gives a smaller picture for less (at half size): the viewer asks for
        // one first. A preview that serves is opened as the JPEG it is.
        bool quick = false;
        QCOMPARE(pictureSize(sample("camera_smallpreview.dng"), &quick), QSize(128, 96));
        QVERIFY(quick);
        QCOMPARE(loadPictureScaled(sample("camera_smallpreview.dng"), {30, 23}).size(),
                 QSize(30, 23));
        QCOMPARE(pictureSize(sample("camera.dng"), &quick), QSize(120, 90));
        QVERIFY(!quick);
        for (const char* other : {"photo.jpg", "rgb24.bmp"}) {
            QVERIFY(pictureSize(sample(other), &quick).isValid());
            QVERIFY(!quick);
        }
        QVERIFY(mayBeCameraRaw(sample("camera.dng")) && !mayBeCameraRaw(sample("photo.jpg")));
    }

    // Photosites of known light under the RGGB filter come out in their own hues, developed with
    // the camera's white balance into sRGB; the preview shows the same scene.
    void theMosaicIsDevelopedInItsOwnHues() {
        const QImage developed = loadPicture(sample("camera_nopreview.dng")).image;
        const QList<QColor> seen = bands(developed);
        QVERIFY2(qAbs(seen[0].hslHue() - 0) < 12 || seen[0].hslHue() > 348, "red");
        QVERIFY2(qAbs(seen[1].hslHue() - 120) < 12, "green");
        QVERIFY2(qAbs(seen[2].hslHue() - 240) < 12, "blue");
        QVERIFY2(seen[3].hslSaturation() < 25, "gray");
        QVERIFY(seen[0].red() > 180 && seen[1].green() > 180 && seen[2].blue() > 180);
        const QList<QColor> preview = bands(loadPicture(sample("camera.dng")).image);
        QVERIFY(near(preview[0], Red) && near(preview[1], Green) && near(preview[2], Blue));
    }

    // Each of the eight ways a camera is held, for the preview and for the developed mosaic
    // alike: upright on screen, sideways ones with their sides swapped.
    void everyOrientationStandsUpright_data() {
        QTest::addColumn<int>("orientation");
        for (int o = 1; o <= 8; ++o)
            QTest::addRow("%d", o) << o;
    }
    void everyOrientationStandsUpright() {
        QFETCH(int, orientation);
        const QString path = orientation == 1
                                 ? sample("camera.dng")
                                 : sample(QStringLiteral("camera_orient%1.dng").arg(orientation));
        const bool sideways = orientation >= 5;
        const QImage preview = loadPicture(path).image;
        QVERIFY(!preview.isNull());
        QCOMPARE(preview.width() < preview.height(), sideways);
        QVERIFY2(near(corner(preview, cornerOf(orientation)), White), "preview");
        // Wanted larger than the preview: the mosaic is developed, and turned the same way.
        QSize sensor = orientation == 1 ? QSize(128, 96) : QSize(64, 48);
        if (sideways)
            sensor.transpose();
        const QImage developed = loadPictureScaled(path, sensor);
        QCOMPARE(developed.size(), sensor);
        QVERIFY2(near(corner(developed, cornerOf(orientation)), White), "developed");
    }

    // A sheet's thumbnail comes from the preview when it covers it, else from the mosaic
    // developed at half size; either way at the size the sheet asks.
    void aThumbnailComesFromWhatCoversIt() {
        for (const char* name : {"camera.dng", "camera_nopreview.dng"}) {
            const PictureLoad load = loadThumbnail(sample(name), {1, 15, 15, 40});
            QCOMPARE(load.image.size(), QSize(40, 30));
            QVERIFY(near(bands(load.image)[2], Blue, 60));
        }
    }

    // Of the pictures a camera keeps (here a 32 x 24 thumbnail all blue, a 64 x 48 preview all
    // green, a 120 x 90 one of the scene), a thumbnail comes from the smallest that covers it.
    // Shown whole, the DNG is still its largest preview.
    void aThumbnailComesFromTheSmallestPictureThatCoversIt() {
        const QString path = sample("camera_sizes.dng");
        const QColor AllBlue(0, 0, 255), AllGreen(0, 255, 0);
        const auto thumbnail = [&](int box) { return loadThumbnail(path, {1, 15, 15, box}).image; };
        QCOMPARE(thumbnail(32).size(), QSize(32, 24));
        QVERIFY(near(bands(thumbnail(32))[0], AllBlue));
        QVERIFY(near(bands(thumbnail(64))[0], AllGreen));
        const QList<QColor> scene = bands(thumbnail(65));
        QVERIFY(near(scene[0], Red) && near(scene[2], Blue));
        const QImage shown = loadPicture(path).image;
        QCOMPARE(shown.size(), QSize(120, 90));
        QVERIFY(near(bands(shown)[1], Green) && near(bands(shown)[2], Blue));
    }

    // Lying files are answered at once, within the helper's bounds: a size past the budget as
    // too large before anything is unpacked, the rest as no picture.
    void lyingRawsAreAnsweredAtOnce_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<PictureError>("answer");
        QTest::addRow("30000 x 20000") << "hostile_large.dng" << PictureError::TooLarge;
        for (const char* name :
             {"hostile_huge.dng", "hostile_loop.dng", "hostile_not_jpeg.dng",
              "hostile_preview_outside.dng", "hostile_truncated.dng", "hostile_boxes.cr3"})
            QTest::addRow("%s", name) << name << PictureError::NotAPicture;
    }
    void lyingRawsAreAnsweredAtOnce() {
        QFETCH(QString, name);
        QFETCH(PictureError, answer);
        const PictureLoad load = loadPicture(sample(name));
        QCOMPARE(load.error, answer);
        QVERIFY(load.image.isNull());
        // A thumbnail looks through every directory for a smaller picture: the same answer.
        QCOMPARE(loadThumbnail(sample(name), {1, 15, 15, 20}).error, answer);
        QCOMPARE(loadPicture(sample("camera.dng")).error, PictureError::None); // the helper lives
    }

    // A preview that serves is opened as a JPEG of its own; opened twice at once, each reader
    // reads it from its start; a RAW written again is not shown from what was remembered of it.
    void aPreviewIsOpenedAsAJpegOfItsOwn() {
        QTemporaryDir folder;
        const QString copy = folder.filePath("camera.dng");
        QVERIFY(QFile::copy(sample("camera.dng"), copy));
        const OpenPicture first(copy, OpenPicture::As::Preview);
        const OpenPicture second(copy, OpenPicture::As::Preview);
        const OpenPicture third(copy, OpenPicture::As::Preview);
        char a[16] = {}, b[16] = {};
        for (int fd : {first.fd(), second.fd()})
            QCOMPARE(::read(fd, a, sizeof a), ssize_t(sizeof a));
        QCOMPARE(::read(third.fd(), b, sizeof b), ssize_t(sizeof b));
        QVERIFY(std::memcmp(a, "\xff\xd8\xff", 3) == 0 && std::memcmp(a, b, sizeof a) == 0);
        const OpenPicture own(copy);
        QCOMPARE(::read(own.fd(), a, 4), ssize_t(4));
        QVERIFY(std::memcmp(a, "MM\0*", 4) == 0); // the RAW itself, for its camera data
        QCOMPARE(loadPicture(copy).image.size(), QSize(120, 90));
        QFile::remove(copy);
        QVERIFY(QFile::copy(sample("camera_orient6.dng"), copy));
        QCOMPARE(loadPicture(copy).image.size(), QSize(45, 60));
    }

    // A RAW starts as a TIFF does, but is never written again from what is shown of it.
    // Told by its layout alone, as the viewer, which links no RAW library, tells it: a DNG, and a
    // TIFF that holds a sensor's mosaic without saying it is a DNG (as a NEF or an ARW does).
    void aRawIsNeverTurned_data() {
        QTest::addColumn<bool>("saysDng");
        QTest::addRow("DNG") << true;
        QTest::addRow("mosaic in a TIFF") << false;
    }
    void aRawIsNeverTurned() {
        QFETCH(bool, saysDng);
        QFile original(sample("camera.dng"));
        QVERIFY(original.open(QIODevice::ReadOnly));
        QByteArray bytes = original.readAll();
        if (!saysDng) { // DNGVersion, big-endian, as an unknown tag
            const qsizetype at = bytes.indexOf(QByteArray("\xC6\x12\x00\x01", 4));
            QVERIFY(at > 0);
            bytes[at + 1] = '\x77';
        }
        QTemporaryDir folder;
        const QString copy = folder.filePath("camera.tif");
        QFile written(copy);
        QVERIFY(written.open(QIODevice::WriteOnly) && written.write(bytes) == bytes.size());
        written.close();
        const TurnResult result = turnPicture(copy, Turn::Clockwise);
        QCOMPARE(result.outcome, TurnResult::Refused);
        QVERIFY(result.reason.contains("RAW"));
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), bytes);
    }
};

TOVIK_REGISTER_TEST(TestRaw)
#include "test_raw.moc"
