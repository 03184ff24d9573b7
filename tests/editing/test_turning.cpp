// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "core/bytes.h"
#include "imaging/pictures.h"
#include "imaging/reading/orientation.h"
#include "imaging/turning.h"
#include "imaging/turning/jpegorientation.h"
#include "imaging/turning/rewrite.h"
#include "support/hostilefiles.h"
#include "support/imagecompare.h"
#include "support/modernfiles.h"
#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace tovik;
using namespace tovik::test;

namespace {
// A picture no turn or flip leaves alike: a gradient with a mark in one corner.
QImage lopsided(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, 128));
    QPainter(&image).fillRect(0, 0, width / 4, height / 5, Qt::black);
    return image;
}

// Every segment of a JPEG with this marker, whole.
QByteArrayList segments(const QByteArray& jpeg, quint32 marker) {
    QByteArrayList found;
    const ByteView b(jpeg.constData(), size_t(jpeg.size()));
    for (qint64 at = 2; at + 4 <= b.size() && b.u8(at) == 0xff && b.u8(at + 1) != 0xda;
         at += 2 + b.be16(at + 2))
        if (b.u8(at + 1) == marker)
            found << jpeg.mid(at, 2 + b.be16(at + 2));
    return found;
}

// The entropy-coded data: what no change of orientation may touch.
QByteArray scans(const QByteArray& jpeg) {
    return jpeg.mid(jpeg.indexOf("\xff\xda"));
}

QByteArray withComment(const QByteArray& jpeg, const QByteArray& text) {
    QByteArray segment("\xff\xfe\0\0", 4);
    segment[2] = char((text.size() + 2) >> 8);
    segment[3] = char((text.size() + 2) & 0xff);
    return QByteArray(jpeg).insert(2, segment + text);
}

struct Folder {
    QTemporaryDir dir;
    QString write(const QString& name, const QByteArray& bytes) const {
        QFile file(dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return file.fileName();
    }
    static QByteArray read(const QString& path) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }
};

// What jpegtran makes of a JPEG with every marker copied: the reference for a lossless turn.
QByteArray jpegtran(const QByteArray& jpeg, const QStringList& turn) {
    QProcess tool;
    tool.start("jpegtran", turn + QStringList{"-copy", "all"});
    tool.waitForStarted();
    tool.write(jpeg);
    tool.closeWriteChannel();
    tool.waitForFinished();
    if (tool.exitCode() != 0)
        qFatal("jpegtran, which the test packages install, did not run");
    return tool.readAllStandardOutput();
}

QImage shown(const QString& path) {
    return loadPicture(path).image.convertToFormat(QImage::Format_RGB32);
}
} // namespace

class TestTurning : public QObject {
    Q_OBJECT
private slots:
    // Each EXIF orientation followed by each turn is the orientation the table says: checked
    // against Qt's own turns of a picture, not against the table's own arithmetic.
    void turningWhatIsShownComposesWithItsOrientation() {
        const QImage stored = lopsided(5, 3);
        for (int orientation = 1; orientation <= 8; ++orientation)
            for (Turn turn : {Turn::Clockwise, Turn::CounterClockwise, Turn::FlipHorizontal,
                              Turn::FlipVertical}) {
                const QImage seen = upright(stored, jpegOrientation(withExifOrientation(
                                                        encoded(stored, "jpg"), orientation)));
                const int turned = turnedOrientation(orientation, turn);
                const QImage expected = upright(
                    stored, jpegOrientation(withExifOrientation(encoded(stored, "jpg"), turned)));
                QCOMPARE(turnedImage(seen, turn), expected);
                QCOMPARE(turnedOrientation(turned, undoing(turn)), orientation);
            }
    }

    // Whole blocks: the DCT blocks move, nothing is encoded again, every marker stays, and four
    // turns give the picture back.
    void aJpegOfWholeBlocksTurnsWithoutLoss() {
        Folder folder;
        const QByteArray icc = linearGrayProfile();
        const QByteArray original = withComment(
            withIccProfile(withExifOrientation(encoded(lopsided(64, 48), "jpg"), 1), icc), "kept");
        const QString path = folder.write("photo.jpg", original);
        ::chmod(QFile::encodeName(path).constData(), 0640);
        const QImage before = shown(path);
        QCOMPARE(turnPicture(path, Turn::Clockwise).outcome, TurnResult::Turned);
        const QByteArray once = Folder::read(path);
        QCOMPARE(shown(path).size(), QSize(48, 64));
        const QByteArray reference = jpegtran(original, {"-rotate", "90"});
        QCOMPARE(shown(path), shown(folder.write("jpegtran.jpg", reference)));
        QCOMPARE(segments(once, 0xdb), segments(reference, 0xdb)); // the tables turned, not made
        QCOMPARE(segments(once, 0xfe), segments(original, 0xfe));
        QCOMPARE(segments(once, 0xe2), segments(original, 0xe2));
        QCOMPARE(jpegOrientationValue(once), 1);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(turnPicture(path, Turn::Clockwise).outcome, TurnResult::Turned);
        QCOMPARE(shown(path), before);
        QCOMPARE(segments(Folder::read(path), 0xdb), segments(original, 0xdb));
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, 0640u);
    }

    // A photo the camera marked as turned is made upright in its blocks, its mark then 1; turned
    // back the other way, only its mark changes.
    void aMarkedPhotoEndsUprightWithOrientationOne() {
        Folder folder;
        const QByteArray marked = withExifOrientation(encoded(lopsided(64, 48), "jpg"), 6);
        const QString path = folder.write("marked.jpg", marked);
        const QImage before = shown(path);
        QCOMPARE(before.size(), QSize(48, 64));
        QCOMPARE(turnPicture(path, Turn::CounterClockwise).outcome, TurnResult::Turned);
        QCOMPARE(jpegOrientationValue(Folder::read(path)), 1);
        QCOMPARE(scans(Folder::read(path)), scans(marked));
        QCOMPARE(turnPicture(path, Turn::FlipVertical).outcome, TurnResult::Turned);
        QCOMPARE(jpegOrientationValue(Folder::read(path)), 1);
        // Stored as it was and shown so: flipped as stored, its copied mark then set right.
        const QByteArray flipped = withJpegOrientation(jpegtran(marked, {"-flip", "vertical"}), 1);
        QCOMPARE(shown(path), shown(folder.write("jpegtran.jpg", flipped)));
    }

    // A size of no whole number of blocks: only the EXIF orientation changes, in a block that
    // exists, a block without the tag, or a file without a block; the scans stay byte for byte.
    void partialBlocksChangeOnlyTheOrientation_data() {
        QTest::addColumn<QByteArray>("original");
        const QByteArray plain = encoded(lopsided(65, 47), "jpg");
        QTest::newRow("tag there") << withExifOrientation(plain, 1);
        QTest::newRow("no EXIF") << plain;
        QTest::newRow("EXIF without the tag") << withExifOrientation(plain, 1, ExifForm::InIfd1);
    }
    void partialBlocksChangeOnlyTheOrientation() {
        QFETCH(QByteArray, original);
        Folder folder;
        const QString path = folder.write("odd.jpg", original);
        const QImage before = shown(path);
        QCOMPARE(turnPicture(path, Turn::Clockwise).outcome, TurnResult::Turned);
        const QByteArray turned = Folder::read(path);
        QCOMPARE(scans(turned), scans(original));
        QCOMPARE(jpegOrientationValue(turned), 6);
        QCOMPARE(shown(path), turnedImage(before, Turn::Clockwise));
        QCOMPARE(turnPicture(path, Turn::CounterClockwise).outcome, TurnResult::Turned);
        QCOMPARE(shown(path), before);
    }

    // What cannot be turned without loss, or written at all, is left exactly as it was.
    void whatCannotBeTurnedIsLeftAlone_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("outcome");
        const QImage picture = lopsided(65, 47);
        QTest::newRow("unsound EXIF orientation")
            << withExifOrientation(encoded(picture, "jpg"), 6, ExifForm::Long)
            << int(TurnResult::Refused);
        QTest::newRow("lossy WebP") << encoded(picture, "webp", 80) << int(TurnResult::Refused);
        QTest::newRow("animated WebP") << animatedWebp(8, 8) << int(TurnResult::Refused);
        QTest::newRow("HEIC") << heifFile(picture, HeifCodec::Hevc) << int(TurnResult::Refused);
        QTest::newRow("broken JPEG")
            << QByteArray("\xff\xd8\xff\xe0\0\x02", 6) << int(TurnResult::Refused);
    }
    void whatCannotBeTurnedIsLeftAlone() {
        QFETCH(QByteArray, file);
        QFETCH(int, outcome);
        Folder folder;
        const QString path = folder.write("picture", file);
        const TurnResult result = turnPicture(path, Turn::Clockwise);
        QCOMPARE(int(result.outcome), outcome);
        QVERIFY(!result.reason.isEmpty());
        QCOMPARE(Folder::read(path), file);
        QCOMPARE(QDir(folder.dir.path()).entryList(QDir::Files), QStringList{"picture"});
    }

    void aFileTheUserMayNotWriteIsRefusedUnread() {
        if (::geteuid() == 0)
            QSKIP("root may write any file");
        Folder folder;
        const QByteArray jpeg = encoded(lopsided(64, 48), "jpg");
        const QString path = folder.write("locked.jpg", jpeg);
        ::chmod(QFile::encodeName(path).constData(), 0444);
        const TurnResult result = turnPicture(path, Turn::Clockwise);
        QCOMPARE(result.outcome, TurnResult::Failed);
        QCOMPARE(Folder::read(path), jpeg);
    }

    // Lossless formats are written again in their own format from their exact pixels: four
    // turns give every pixel back, a palette stays a palette, and PNG's text stays.
    void losslessFormatsKeepEveryPixel_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("format");
        const QImage picture = lopsided(33, 20);
        QImage deep = picture.convertToFormat(QImage::Format_RGBA64);
        deep.setPixelColor(1, 1, QColor::fromRgba64(12345, 54321, 777, 40000));
        QImage withText = picture;
        withText.setText("Title", "holiday");
        QTest::newRow("PNG with text") << encoded(withText, "png") << QByteArray("png");
        QTest::newRow("16-bit PNG") << encoded(deep, "png") << QByteArray("png");
        QTest::newRow("palette PNG")
            << encoded(picture.convertToFormat(QImage::Format_Indexed8), "png")
            << QByteArray("png");
        QTest::newRow("BMP") << encoded(picture, "bmp") << QByteArray("bmp");
        QTest::newRow("TIFF") << encoded(picture, "tiff") << QByteArray("tiff");
        QTest::newRow("lossless WebP") << encoded(picture, "webp", 100) << QByteArray("webp");
    }
    void losslessFormatsKeepEveryPixel() {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, format);
        Folder folder;
        const QString path = folder.write("picture", file);
        const QImage before = loadPictureExact(path).image;
        QCOMPARE(turnPicture(path, Turn::CounterClockwise).outcome, TurnResult::Turned);
        QCOMPARE(QImageReader(path).format(), format);
        const QImage once = loadPictureExact(path).image;
        QCOMPARE(once.convertToFormat(before.format()),
                 turnedImage(before, Turn::CounterClockwise));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(turnPicture(path, Turn::CounterClockwise).outcome, TurnResult::Turned);
        QCOMPARE(loadPictureExact(path).image.convertToFormat(before.format()), before);
        const QByteArray now = Folder::read(path);
        if (file.contains("holiday"))
            QVERIFY(now.contains("tEXtTitle"));
        if (format == "png")
            QCOMPARE(now.at(25), file.at(25)); // the colour type: a palette stays one
        if (format == "webp")
            QVERIFY(now.contains("VP8L"));
    }

    // The edited EXIF block keeps every other tag readable where it was.
    void anAddedOrientationKeepsTheOtherTags() {
        const QByteArray plain = encoded(lopsided(65, 47), "jpg");
        const QByteArray thumbnailTagged = withExifOrientation(plain, 3, ExifForm::InIfd1);
        const QByteArray edited = withJpegOrientation(thumbnailTagged, 8);
        QCOMPARE(jpegOrientationValue(edited), 8);
        // IFD1's own tag (the thumbnail's) is still there and still not taken for the picture's.
        QCOMPARE(jpegOrientationValue(withJpegOrientation(edited, 2)), 2);
        QCOMPARE(scans(edited), scans(plain));
        QVERIFY(withJpegOrientation(withExifOrientation(plain, 6, ExifForm::Long), 1).isEmpty());
    }
};

TOVIK_REGISTER_TEST(TestTurning)
#include "test_turning.moc"
