// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "app/artwork.h"
#include "app/frmshowtell.h"
#include "core/folderlist.h"
#include "imaging/colour/screencolours.h"
#include "imaging/pictures.h"
#include "support/modernfiles.h"
#include "support/testmain.h"
#include "support/viewer.h"

#include <QBuffer>
#include <QColorSpace>
#include <QTest>
#include <QTransform>

using namespace tovik;
using namespace tovik::test;

namespace {
constexpr QRgb Red = qRgb(200, 40, 40), Blue = qRgb(40, 40, 200);

// 160 x 80 as stored: red, with its top-left quarter blue.
QImage quartered() {
    QImage picture(160, 80, QImage::Format_RGB32);
    picture.fill(Red);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 80; ++x)
            picture.setPixel(x, y, Blue);
    return picture;
}

QImage filled(QSize size, QRgb colour) {
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(colour);
    return picture;
}

// Restores sRGB as the screen's colours when a test has set others.
struct ScreenProfile {
    explicit ScreenProfile(const QByteArray& icc) { setScreenProfile(icc); }
    ~ScreenProfile() { setScreenProfile({}); }
};
} // namespace

class TestPictureFormats : public QObject {
    Q_OBJECT
private slots:
    // A one-pixel checkerboard at zoom 1 is drawn one picture pixel to a device pixel at the
    // screen's scale: CTest runs this at 1, 1.5 and 2 (QT_SCALE_FACTOR). The toolbar's pictures
    // are drawn at the device size in their own colours, never enlarged and blurred.
    void sharpOnAScaledScreen() {
        const double scale = qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble();
        Viewer v;
        QCOMPARE(v.w().devicePixelRatioF(), scale);
        QImage board(64, 48, QImage::Format_RGB32);
        for (int y = 0; y < board.height(); ++y)
            for (int x = 0; x < board.width(); ++x)
                board.setPixel(x, y, (x + y) % 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        QVERIFY(board.save(v.fake.file("board.png")));
        v.commands.filesGiven(v.w(), {v.fake.file("board.png")});
        QImage drawn = v.w().imgOne->grab().toImage().convertToFormat(QImage::Format_RGB32);
        drawn.setDevicePixelRatio(1); // its pixels are the device's
        QCOMPARE(drawn.copy(0, 0, 64, 48), board);
        QCOMPARE(v.w().imgThree.width, 64 * v.w().tppX() / scale); // what the scroll bars count
        v.fake.dialogs.fileAnswers << FileAnswer{DialogResult::Accepted, v.fake.file("saved.bmp")};
        v.w().SaveAs->trigger();
        QCOMPARE(QImage(v.fake.file("saved.bmp")).convertToFormat(QImage::Format_RGB32), board);

        const QImage open = toolbarPicture(1).pixmap(QSize(16, 16), scale).toImage();
        QCOMPARE(open.size(), QSize(16, 16) * scale);
        const QList<QRgb> art{qRgb(0, 0, 0), qRgb(128, 128, 0), qRgb(255, 255, 0)};
        for (int y = 0; y < open.height(); ++y)
            for (int x = 0; x < open.width(); ++x)
                QVERIFY(qAlpha(open.pixel(x, y)) == 0 ||
                        art.contains(open.pixel(x, y) | 0xff000000));
    }

    // Orientation 6 turns the stored 160 x 80 a quarter clockwise: 80 x 160, the blue quarter
    // top right. Lossy codecs keep the colours within a few levels.
    void todaysFormatsOpenUprightInTheirColours_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name");
        QTest::newRow("HEIC") << heifFile(quartered(), HeifCodec::Hevc, 6) << "phone.heic";
        QTest::newRow("AVIF") << heifFile(quartered(), HeifCodec::Av1, 6) << "web.avif";
        QTest::newRow("HEIC, 10 bits")
            << heifFile(quartered(), HeifCodec::Hevc, 6, 10) << "deep.heic";
        QTest::newRow("JPEG XL, lossless")
            << jxlFile(quartered(), JxlColours::SRgb, {}, 6) << "exact.jxl";
        QTest::newRow("JPEG XL, lossy")
            << jxlFile(quartered(), JxlColours::SRgb, {}, 6, 1.0f) << "lossy.jxl";
    }
    void todaysFormatsOpenUprightInTheirColours() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        Viewer v;
        v.fake.write(name, bytes);
        const QString path = v.fake.file(name);
        QCOMPARE(pictureSize(path), QSize(80, 160));
        const QImage shown = loadPicture(path).image;
        QCOMPARE(shown.size(), QSize(80, 160));
        QVERIFY(near(shown.pixel(60, 20), Blue, 6));
        QVERIFY(near(shown.pixel(20, 20), Red, 6));
        QVERIFY(near(shown.pixel(60, 120), Red, 6));
        QVERIFY(near(loadPictureScaled(path, {20, 40}).pixel(15, 5), Blue, 6));
        v.commands.filesGiven(v.w(), {path}); // as from the command line
        QCOMPARE(v.w().imgThree.picture.size(), QSize(80, 160));
        // and they are among the pictures of a folder stepped through
        QCOMPARE(picturesAmong({"notes.txt", name}), QStringList{name});
        QVERIFY(v.fake.messages.shown.isEmpty());
    }

    // Display P3 stated as numbers (JPEG XL) or as an ICC profile (HEIC): converted like a JPEG's.
    void statedColourSpacesAreConverted() {
        Viewer v;
        const QImage p3 = filled({16, 16}, qRgb(60, 170, 90));
        const QRgb inSrgb =
            lcmsToSrgb(QColorSpace(QColorSpace::DisplayP3).iccProfile(), qRgb(60, 170, 90));
        v.fake.write("p3.jxl", jxlFile(p3, JxlColours::DisplayP3));
        v.fake.write("p3.heic", heifFile(p3, HeifCodec::Hevc, 1, 8,
                                         QColorSpace(QColorSpace::DisplayP3).iccProfile()));
        QVERIFY(near(loadPicture(v.fake.file("p3.jxl")).image.pixel(8, 8), inSrgb));
        QVERIFY(near(loadPicture(v.fake.file("p3.heic")).image.pixel(8, 8), inSrgb, 5));
        // sRGB stated as numbers is left exactly as decoded
        v.fake.write("srgb.jxl", jxlFile(p3, JxlColours::SRgb));
        QCOMPARE(loadPicture(v.fake.file("srgb.jxl")).image.pixel(8, 8), qRgb(60, 170, 90));
    }

    // colord's plainest test: a profile that says red pixels are green. On screen, in a saved
    // bitmap and in a sheet's thumbnail the red patch is green.
    void aProfileThatSwapsRedAndGreenShowsGreen() {
        Viewer v;
        QImage red = filled({64, 300}, qRgb(255, 0, 0));
        red.setColorSpace(QColorSpace::fromIccProfile(swappedRedAndGreenProfile()));
        QVERIFY(red.save(v.fake.file("swapped.jpg"), nullptr, 100));
        const QRgb green = qRgb(0, 255, 0);
        v.commands.filesGiven(v.w(), {v.fake.file("swapped.jpg")});
        QVERIFY(near(v.w().imgThree.picture.pixel(32, 150), green, 3));
        QVERIFY(near(v.w().imgOne->grab().toImage().pixel(10, 10), green, 3));
        v.fake.dialogs.fileAnswers << FileAnswer{DialogResult::Accepted, v.fake.file("saved.bmp")};
        v.w().SaveAs->trigger();
        QVERIFY(near(QImage(v.fake.file("saved.bmp")).pixel(10, 10), green, 3));
        QVERIFY(
            near(loadPictureScaled(v.fake.file("swapped.jpg"), {16, 75}).pixel(8, 30), green, 3));
    }

    // Qt reads RGB matrix profiles; lcms2 reads the rest. Each is held to lcms2's own answer.
    void profilesOfEveryKindAgreeWithLcms() {
        Viewer v;
        QImage adobe = filled({300, 300}, qRgb(60, 170, 90)); // in bands: tall enough
        adobe.setColorSpace(QColorSpace::AdobeRgb);
        QVERIFY(adobe.save(v.fake.file("adobe.png")));
        QVERIFY(
            near(loadPicture(v.fake.file("adobe.png")).image.pixel(150, 150),
                 lcmsToSrgb(QColorSpace(QColorSpace::AdobeRgb).iccProfile(), qRgb(60, 170, 90))));

        // Turned upright as its EXIF says, and converted as it is decoded a band at a time.
        QImage gradient(300, 400, QImage::Format_RGB32);
        for (int y = 0; y < gradient.height(); ++y)
            for (int x = 0; x < gradient.width(); ++x)
                gradient.setPixel(x, y, qRgb(x * 255 / 300, y * 255 / 400, 90));
        QByteArray plainJpeg;
        {
            QBuffer out(&plainJpeg);
            QVERIFY(out.open(QIODevice::WriteOnly) && gradient.save(&out, "JPEG", 100));
        }
        v.fake.write("turned.jpg", withIccProfile(withExifOrientation(plainJpeg, 6),
                                                  QColorSpace(QColorSpace::AdobeRgb).iccProfile()));
        QImage expected = gradient.transformed(QTransform().rotate(90));
        expected.setColorSpace(QColorSpace::AdobeRgb);
        expected.convertToColorSpace(QColorSpace::SRgb);
        const QImage turned = loadPicture(v.fake.file("turned.jpg")).image;
        QCOMPARE(turned.size(), QSize(400, 300));
        for (const QPoint at : {QPoint(10, 10), QPoint(390, 20), QPoint(200, 150), QPoint(20, 290)})
            QVERIFY(near(turned.pixel(at), expected.pixel(at), 3));

        QImage gray(300, 300, QImage::Format_Grayscale8);
        gray.fill(128);
        QByteArray grayJpeg;
        {
            QBuffer out(&grayJpeg);
            QVERIFY(out.open(QIODevice::WriteOnly) && gray.save(&out, "JPEG", 100));
        }
        v.fake.write("gray.jpg", withIccProfile(grayJpeg, linearGrayProfile()));
        const QImage shownGray = loadPicture(v.fake.file("gray.jpg")).image;
        QVERIFY(near(shownGray.pixel(150, 150), lcmsToSrgb(linearGrayProfile(), qRgb(128, 0, 0))));
        QVERIFY(qGreen(shownGray.pixel(150, 150)) > 180);                  // not the untouched 128
        QVERIFY(!QColorSpace::fromIccProfile(labGrayProfile()).isValid()); // lcms2's alone
        v.fake.write("labgray.jpg", withIccProfile(grayJpeg, labGrayProfile()));
        const QImage shownLab = loadPicture(v.fake.file("labgray.jpg")).image;
        QVERIFY(near(shownLab.pixel(150, 150), lcmsToSrgb(labGrayProfile(), qRgb(128, 0, 0))));
        QVERIFY(qGreen(shownLab.pixel(150, 150)) < 100);

        const unsigned char inks[4] = {20, 200, 60, 30};
        const QByteArray cmyk = simpleCmykProfile();
        v.fake.write("cmyk.jpg", withIccProfile(adobeCmykJpeg(64, 300, inks), cmyk));
        QVERIFY(near(loadPicture(v.fake.file("cmyk.jpg")).image.pixel(32, 150),
                     lcmsCmykToSrgb(cmyk, inks), 3));
        QVERIFY(near(loadPictureScaled(v.fake.file("cmyk.jpg"), {16, 75}).pixel(8, 30),
                     lcmsCmykToSrgb(cmyk, inks), 3));
    }

    // A colour daemon's profile for the screen: tagged pictures are converted into it, untagged
    // ones are left as they are.
    void theScreensOwnProfileIsTheTarget() {
        Viewer v;
        QImage p3 = filled({32, 32}, qRgb(60, 170, 90));
        p3.setColorSpace(QColorSpace::DisplayP3);
        QVERIFY(p3.save(v.fake.file("p3.png")));
        QVERIFY(filled({32, 32}, qRgb(60, 170, 90)).save(v.fake.file("plain.png")));
        const QImage inSrgb = loadPicture(v.fake.file("p3.png")).image;
        {
            const ScreenProfile screen(QColorSpace(QColorSpace::AdobeRgb).iccProfile());
            QImage expected = p3.convertedToColorSpace(QColorSpace::AdobeRgb);
            QVERIFY(
                near(loadPicture(v.fake.file("p3.png")).image.pixel(5, 5), expected.pixel(5, 5)));
            QVERIFY(!near(expected.pixel(5, 5), inSrgb.pixel(5, 5)));
            QCOMPARE(loadPicture(v.fake.file("plain.png")).image.pixel(5, 5), qRgb(60, 170, 90));
        }
        {
            const ScreenProfile notAProfile("garbage, not ICC");
            QCOMPARE(loadPicture(v.fake.file("p3.png")).image.pixel(5, 5), inSrgb.pixel(5, 5));
        }
    }

    // A profile that is cut short, malformed or larger than any real one is ignored: the
    // picture shows as sRGB.
    void brokenProfilesAreIgnored_data() {
        QTest::addColumn<QByteArray>("bytes");
        QImage plain = filled({32, 32}, qRgb(60, 170, 90));
        QByteArray jpeg;
        QBuffer out(&jpeg);
        out.open(QIODevice::WriteOnly);
        plain.save(&out, "JPEG", 100);
        const QByteArray cmyk = simpleCmykProfile();
        QTest::newRow("one chunk of two") << withIccProfile(jpeg, cmyk, int(cmyk.size()), 2);
        QTest::newRow("garbage") << withIccProfile(jpeg, QByteArray(3000, 'x'));
        QTest::newRow("cut short") << withIccProfile(jpeg, cmyk.left(cmyk.size() / 2));
        QTest::newRow("enormous") << withIccProfile(jpeg, cmyk.repeated(6000));
        QTest::newRow("HEIC with garbage")
            << heifFile(plain, HeifCodec::Hevc, 1, 8, QByteArray(3000, 'x'));
    }
    void brokenProfilesAreIgnored() {
        QFETCH(QByteArray, bytes);
        Viewer v;
        v.fake.write("broken", bytes);
        const PictureLoad load = loadPicture(v.fake.file("broken"));
        QCOMPARE(load.error, PictureError::None);
        QVERIFY(near(load.image.pixel(16, 16), qRgb(60, 170, 90), 5));
    }

    // Broken files of the new kinds are invalid pictures, never a crash. A HEVC stream that
    // claims far more than the file's boxes is refused before the decoder allocates for it.
    void brokenFilesOfTheNewKinds() {
        Viewer v;
        v.fake.write("stream.heic", heicWithHugeStream());
        QCOMPARE(loadPicture(v.fake.file("stream.heic")).error, PictureError::NotAPicture);
        const QByteArray files[] = {heifFile(quartered(), HeifCodec::Hevc),
                                    heifFile(quartered(), HeifCodec::Av1), jxlFile(quartered())};
        for (const QByteArray& file : files) {
            for (const qsizetype keep : {file.size() / 2, file.size() - 8, qsizetype(40)}) {
                v.fake.write("cut", file.left(keep));
                QCOMPARE(loadPicture(v.fake.file("cut")).error, PictureError::NotAPicture);
            }
        }
    }
};

TOVIK_REGISTER_TEST(TestPictureFormats)
#include "test_formats.moc"
