// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "app/frmshowtell.h"
#include "core/dialogtext.h"
#include "imaging/jpeg/jpegreduced.h"
#include "imaging/openpicture.h"
#include "imaging/pictures.h"
#include "imaging/preview.h"
#include "support/modernfiles.h"
#include "support/testmain.h"
#include "support/viewer.h"
#include "viewing/display.h"
#include "viewing/navigation.h"

#include <QBuffer>
#include <QDeadlineTimer>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QScrollBar>
#include <QSemaphore>
#include <QTest>

#include <turbojpeg.h>

#include <memory>

Q_DECLARE_METATYPE(tovik::test::ExifForm)

using namespace tovik;
using namespace tovik::test;

namespace {
// Large enough to be shown from a preview first: 3600 x 2400, 8.6 megapixels.
constexpr int Width = 3600, Height = 2400;

// A photo-like JPEG: gradients, so that a scaled decode looks like the picture, and stripes that
// make each row its own. tone shifts the colours, so that two photos differ everywhere.
QByteArray photoJpeg(int width, int height, int tone = 0, bool progressive = false) {
    QImage rgb(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        uchar* row = rgb.scanLine(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = uchar(x * 255 / width + tone);
            row[3 * x + 1] = uchar(y * 255 / height);
            row[3 * x + 2] = uchar((y / 8) % 2 ? 200 - tone : 40);
        }
    }
    tjhandle tj = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    tjCompress2(tj, rgb.constBits(), width, int(rgb.bytesPerLine()), height, TJPF_RGB, &out, &size,
                TJSAMP_420, 90, progressive ? TJFLAG_PROGRESSIVE : 0);
    const QByteArray jpeg(reinterpret_cast<const char*>(out), qsizetype(size));
    tjFree(out);
    tjDestroy(tj);
    return jpeg;
}

// The pixels Qt's own reader gives: what a full decode has always shown.
QImage readerPicture(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    return reader.read().convertToFormat(QImage::Format_RGB32);
}

// Keeps the window's decoding workers busy until released, so that a test sees the preview
// before the full picture arrives.
class HeldWorker {
public:
    explicit HeldWorker(PicturesAhead& ahead) {
        ahead.onWorkers([gate = m_gate] { gate->acquire(); });
    }
    ~HeldWorker() { release(); }
    void release() {
        if (!std::exchange(m_released, true))
            m_gate->release(2);
    }

private:
    std::shared_ptr<QSemaphore> m_gate = std::make_shared<QSemaphore>();
    bool m_released = false;
};

// Until the full picture has taken its preview's place.
bool arrived(frmShowTell& window) {
    QDeadlineTimer deadline(20000);
    while (window.unfinished && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return !window.unfinished;
}
} // namespace

class TestPreview : public QObject {
    Q_OBJECT
private slots:
    // Scrolled to the top at zoom 1, the viewport shows the picture's top rows: only those are
    // decoded, at the smallest scale that covers the viewport, upright as the camera meant it.
    void theFullPictureTakesThePreviewsPlace_data() {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<bool>("partly"); // only the rows shown decoded
        QTest::newRow("as stored") << 1 << true;
        QTest::newRow("mirrored") << 2 << true;
        QTest::newRow("upside down") << 3 << false;
        QTest::newRow("turned") << 6 << false;
    }
    void theFullPictureTakesThePreviewsPlace() {
        QFETCH(int, orientation);
        QFETCH(bool, partly);
        Viewer v;
        v.fake.write("big.jpg", withExifOrientation(photoJpeg(Width, Height), orientation));
        const QString path = v.fake.file("big.jpg");
        const QImage full = readerPicture(path);
        HeldWorker held(v.w().picturesAhead);
        v.open({"big.jpg"});

        const PictureHolder& shown = v.w().imgThree;
        QVERIFY(v.w().unfinished && shown.isPreview());
        // the smallest scale that covers the viewport
        const QSize view = v.w().imgTwo->size();
        const int denominator = full.width() / shown.picture.width();
        QVERIFY(shown.picture.width() >= view.width() && shown.picture.height() >= view.height());
        QVERIFY(denominator == 8 || full.width() / denominator / 2 < view.width() ||
                full.height() / denominator / 2 < view.height());
        QCOMPARE(shown.pixels, full.size());
        // What the full decode will take counts from its start, for any decode ahead beside it.
        QCOMPARE(v.w().picturesAhead.heldBytes(), qint64(Width) * Height * 4);
        QCOMPARE(v.status(), path);
        const int scrollRange = v.w().HScroll1->maximum();
        const QRgb fill = v.w().imgTwo->palette().color(QPalette::Window).rgb();
        const QImage& seen = shown.picture;
        QCOMPARE(seen.pixel(seen.width() / 2, seen.height() - 1) == fill, partly);
        QVERIFY(seen.pixel(seen.width() / 2, 0) != fill);

        held.release();
        QVERIFY(arrived(v.w()));
        QVERIFY(!shown.isPreview());
        QCOMPARE(v.w().HScroll1->maximum(), scrollRange); // the full picture's from the start
        QCOMPARE(shown.picture.convertToFormat(QImage::Format_RGB32), full);
        QVERIFY(v.fake.messages.shown.isEmpty());
    }

    // A camera RAW whose preview is a large JPEG is shown first from that preview at a DCT scale,
    // made in the decoding helper, then whole, as a JPEG file would be.
    void aRawIsShownFirstFromItsPreviewAtAScale() {
        Viewer v;
        v.fake.write("preview.jpg", photoJpeg(Width, Height));
        const QString dng = v.fake.file("big.dng");
        QCOMPARE(QProcess::execute("python3", {TOVIK_TESTDATA "/make_samples.py", "dng", dng,
                                               QString::number(Width), QString::number(Height),
                                               v.fake.file("preview.jpg")}),
                 0);
        HeldWorker held(v.w().picturesAhead);
        v.open({"big.dng"});
        const PictureHolder& shown = v.w().imgThree;
        QVERIFY(v.w().unfinished && shown.isPreview());
        QVERIFY(shown.picture.width() <= Width / 2);
        QCOMPARE(shown.pixels, QSize(Width, Height));
        held.release();
        QVERIFY(arrived(v.w()));
        QCOMPARE(shown.picture.convertToFormat(QImage::Format_RGB32),
                 readerPicture(v.fake.file("preview.jpg")));
        QVERIFY(v.fake.messages.shown.isEmpty());
    }

    // Commands that need the picture's own pixels wait for it; a step moves on and leaves the
    // decode to wait ahead; nothing is decoded twice.
    void commandsDuringThePreviewActOnTheFullPicture() {
        Viewer v;
        v.fake.write("a.jpg", photoJpeg(Width, Height));
        v.fake.write("b.jpg", photoJpeg(Width, Height, 60));
        const QImage a = readerPicture(v.fake.file("a.jpg"));
        {
            HeldWorker held(v.w().picturesAhead);
            v.open({"a.jpg", "b.jpg"});
            QVERIFY(v.w().unfinished);
            held.release();
            v.fake.dialogs.fileAnswers << FileAnswer{DialogResult::Accepted, v.fake.file("a.bmp")};
            v.w().Toolbar1->click(SaveAsButton);
            QVERIFY(!v.w().unfinished);
            QCOMPARE(QImage(v.fake.file("a.bmp")).convertToFormat(QImage::Format_RGB32), a);
        }
        {
            HeldWorker held(v.w().picturesAhead);
            v.w().Toolbar1->click(RightArrowButton); // b.jpg: decoded ahead, or its preview
            held.release();
            v.w().Toolbar1->click(ZoomPlusButton);
            QVERIFY(!v.w().unfinished);
            QCOMPARE(v.state.ZoomFactor, 1.25f);
            QCOMPARE(v.w().imgThree.picture.size(), QSize(Width, Height));
        }
        v.w().picturesAhead.waitForDecodes();
        QVERIFY(v.w().picturesAhead.ready(v.fake.file("a.jpg"))); // kept for a step back
        v.w().picturesAhead.clear(); // nothing decoded waits: the next steps show previews
        {
            HeldWorker held(v.w().picturesAhead);
            v.w().Toolbar1->click(LeftArrowButton); // a.jpg, a preview of it
            QVERIFY(v.w().unfinished);
            v.w().Toolbar1->click(RightArrowButton); // away before its decode has ended
            QCOMPARE(v.w().unfinished->decode.path, v.fake.file("b.jpg"));
            held.release();
        }
        QVERIFY(arrived(v.w()));
        QVERIFY(v.w().picturesAhead.ready(v.fake.file("a.jpg"))); // kept, not lost
        v.w().Toolbar1->click(LeftArrowButton);
        QVERIFY(!v.w().unfinished && !v.w().imgThree.isPreview());
        QCOMPARE(v.w().imgThree.picture.convertToFormat(QImage::Format_RGB32), a);
        QVERIFY(v.fake.messages.shown.isEmpty());
    }

    // The sheet waits for the full picture, so that nothing arriving later takes the sheet's
    // place; a close during the preview ends the program as always.
    void theSheetAndExitDuringThePreview() {
        Viewer v;
        v.fake.write("a.jpg", photoJpeg(Width, Height));
        v.fake.write("b.jpg", photoJpeg(Width, Height, 60));
        HeldWorker held(v.w().picturesAhead);
        v.open({"a.jpg", "b.jpg"});
        QVERIFY(v.w().unfinished);
        held.release();
        v.generate("5", "800");
        QCOMPARE(v.status(), SheetStatusText);
        QCoreApplication::processEvents();
        QVERIFY(!v.w().unfinished);
        QCOMPARE(v.w().imgThree.picture.size(), QImage(v.fake.file(SheetFileName)).size());

        HeldWorker again(v.w().picturesAhead);
        ShowEntry(v.w(), 1);
        QVERIFY(v.w().unfinished);
        QVERIFY(v.w().close());
        again.release();
        QVERIFY(QFile::exists(v.fake.file(SettingsFileName)));
    }

    // The file is rewritten between its preview and its full decode: what it holds now is shown.
    void aFileChangedBeforeItsFullDecodeIsLoadedAfresh() {
        Viewer v;
        v.fake.write("big.jpg", photoJpeg(Width, Height));
        HeldWorker held(v.w().picturesAhead);
        v.open({"big.jpg"});
        QVERIFY(v.w().unfinished);
        v.fake.write("big.jpg", photoJpeg(Height, Width, 80));
        held.release();
        QVERIFY(arrived(v.w()));
        QCOMPARE(v.w().imgThree.picture.convertToFormat(QImage::Format_RGB32),
                 readerPicture(v.fake.file("big.jpg")));
        QCOMPARE(v.w().imgThree.pixels, QSize(Height, Width));
    }

    // A photo whose rows decode but whose end is broken: its preview shows, and its full decode
    // gives the message a broken file always gave, with what was shown before back.
    void aFullDecodeThatFailsLeavesThePreviousPicture() {
        Viewer v;
        QByteArray broken = photoJpeg(Width, Height);
        broken.chop(2); // the end of image becomes a second frame header
        broken += photoJpeg(16, 16).mid(2);
        v.fake.write("broken.jpg", broken);
        QCOMPARE(loadPicture(v.fake.file("broken.jpg")).error, PictureError::NotAPicture);
        v.open({"photo.jpg", "broken.jpg"});
        const QImage before = v.w().imgThree.picture;
        HeldWorker held(v.w().picturesAhead);
        v.w().picturesAhead.clear();
        v.w().Toolbar1->click(RightArrowButton);
        QVERIFY(v.w().unfinished && v.w().imgThree.isPreview());
        held.release();
        QVERIFY(arrived(v.w()));
        QCOMPARE(v.fake.messages.shown.size(), 1);
        QCOMPARE(v.fake.messages.shown.first().second, QString("Invalid Picture Format"));
        QCOMPARE(v.w().imgThree.picture, before);
        QCOMPARE(v.w().imgOne->drawnPart(QRect(0, 0, 4, 4)).pixel(1, 1), before.pixel(1, 1));
    }

    // A thumbnail is decoded reduced: a progressive file's eighth from the scans it shows alone,
    // and that eighth is libjpeg-turbo's own, pixel for pixel.
    void reducedDecodesAreLibjpegTurbos_data() {
        QTest::addColumn<bool>("progressive");
        QTest::addColumn<QSize>("atLeast");
        QTest::newRow("sequential, an eighth") << false << QSize(100, 60);
        QTest::newRow("progressive, an eighth") << true << QSize(100, 60);
        QTest::newRow("progressive, a quarter") << true << QSize(150, 60);
        QTest::newRow("sequential, whole") << false << QSize(800, 10);
    }
    void reducedDecodesAreLibjpegTurbos() {
        QFETCH(bool, progressive);
        QFETCH(QSize, atLeast);
        const QByteArray jpeg = photoJpeg(800, 600, 30, progressive);
        const QImage reduced = decodeJpegReduced(jpeg, atLeast);
        tjhandle tj = tjInitDecompress();
        const int denominator = 800 / reduced.width();
        QImage reference(800 / denominator, 600 / denominator, QImage::Format_RGB32);
        QCOMPARE(tjDecompress2(tj, reinterpret_cast<const uchar*>(jpeg.constData()),
                               (unsigned long)jpeg.size(), reference.bits(), reference.width(),
                               int(reference.bytesPerLine()), reference.height(), TJPF_BGRX, 0),
                 0);
        tjDestroy(tj);
        QCOMPARE(denominator, atLeast.width() == 100 ? 8 : atLeast.width() == 150 ? 4 : 1);
        QCOMPARE(reduced, reference);
        // The scans an eighth never shows are not read: without its last scan (the finest of the
        // brightness), the file gives the same eighth.
        if (progressive && denominator == 8)
            QCOMPARE(decodeJpegReduced(jpeg.left(jpeg.lastIndexOf("\xff\xda")), atLeast),
                     reference);
    }

    // A half decode keeps every coefficient a half shows: with the AC coefficients sent in two
    // bands (1 to 24, then 25 to 63), it is still libjpeg-turbo's own half, pixel for pixel.
    void aHalfDecodeReadsEveryBandItShows() {
        QImage picture(800, 600, QImage::Format_RGB32);
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x) // fine detail: the high coefficients matter at a half
                picture.setPixel(x, y, qRgb((x * 7 + y * 3) % 256, (x ^ y) & 0xff, (x % 3) * 100));
        const QByteArray jpeg = progressiveJpegInBands(picture, {{1, 24}, {25, 63}});
        QImage reference(400, 300, QImage::Format_RGB32);
        tjhandle tj = tjInitDecompress();
        QCOMPARE(tjDecompress2(tj, reinterpret_cast<const uchar*>(jpeg.constData()),
                               (unsigned long)jpeg.size(), reference.bits(), 400,
                               int(reference.bytesPerLine()), 300, TJPF_BGRX, 0),
                 0);
        tjDestroy(tj);
        QCOMPARE(decodeJpegReduced(jpeg, {400, 10}), reference);
    }

    // Every path that decodes a photo reads its orientation the same way: the first EXIF block's
    // IFD0, a SHORT of count 1. The forms readers disagree on leave it as stored, everywhere.
    void everyPathReadsTheOrientationAlike_data() {
        QTest::addColumn<ExifForm>("form");
        QTest::addColumn<QSize>("shown");
        QTest::newRow("a SHORT of count 1 in IFD0") << ExifForm::Sound << QSize(300, 400);
        QTest::newRow("a LONG") << ExifForm::Long << QSize(400, 300);
        QTest::newRow("a count of 2") << ExifForm::CountOfTwo << QSize(400, 300);
        QTest::newRow("in IFD1") << ExifForm::InIfd1 << QSize(400, 300);
        QTest::newRow("in a second APP1") << ExifForm::InSecondApp1 << QSize(400, 300);
    }
    void everyPathReadsTheOrientationAlike() {
        QFETCH(ExifForm, form);
        QFETCH(QSize, shown);
        const QTemporaryDir folder;
        const QString path = folder.filePath("turned.jpg");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(withExifOrientation(photoJpeg(400, 300), 6, form));
        file.close();
        const OpenPicture open(path);
        QCOMPARE(JpegPreview(open.fd()).size(), shown);
        QCOMPARE(loadPicture(path).image.size(), shown);
        QCOMPARE(pictureSize(path), shown);
        QCOMPARE(loadPictureScaled(path, shown / 4).size(), shown / 4);
        const PictureLoad thumbnail = loadThumbnail(path, {0.25f, 15, 15});
        QCOMPARE(thumbnail.claimed, shown);
        QCOMPARE(thumbnail.image.size(), shown / 4);
        // The same picture point in the preview and in full (red and green run across the photo).
        const QImage full = loadPicture(path).image;
        const QImage preview = JpegPreview(open.fd()).decode(2, shown.height(), 0);
        for (const QPoint at : {QPoint(20, 30), QPoint(shown.width() - 20, shown.height() - 30)}) {
            const QRgb half = preview.pixel(at / 2), whole = full.pixel(at);
            QVERIFY(qAbs(qRed(half) - qRed(whole)) < 12 && qAbs(qGreen(half) - qGreen(whole)) < 12);
        }
    }

    // The memory of a large photo let go is taken by the next one of the same size, and by no
    // other: a smaller one would show the rest of the first in its rows.
    void aLargePhotosMemoryServesOnlyOneOfItsSize() {
        const QTemporaryDir folder;
        const auto write = [&](const QString& name, QSize size) {
            QFile file(folder.filePath(name));
            file.open(QIODevice::WriteOnly);
            file.write(photoJpeg(size.width(), size.height()));
            return file.fileName();
        };
        const QString first = write("first.jpg", {2048, 1536}),
                      same = write("same.jpg", {2048, 1536}),
                      smaller = write("smaller.jpg", {2048, 1280});
        const uchar* memory = nullptr;
        {
            const QImage picture = loadPicture(first).image;
            memory = picture.constBits();
        }
        const QImage other = loadPicture(smaller).image;
        QVERIFY(other.constBits() != memory);
        QCOMPARE(loadPicture(same).image.constBits(), memory);
    }

    // Only a large sequential colour JPEG has a preview; its rows are read only as far as asked.
    void whatHasAPreview() {
        const QTemporaryDir folder;
        const auto sizeOf = [&](const QByteArray& bytes) {
            QFile file(folder.filePath("p.jpg"));
            file.open(QIODevice::WriteOnly | QIODevice::Truncate);
            file.write(bytes);
            file.close();
            const OpenPicture open(file.fileName());
            return JpegPreview(open.fd()).size();
        };
        QCOMPARE(sizeOf(photoJpeg(400, 300)), QSize(400, 300));
        QCOMPARE(sizeOf(withExifOrientation(photoJpeg(400, 300), 8)), QSize(300, 400));
        QVERIFY(!sizeOf(photoJpeg(400, 300, 0, true)).isValid()); // progressive
        QFile gif(TOVIK_TESTDATA "/static.gif");
        QVERIFY(gif.open(QIODevice::ReadOnly));
        QVERIFY(!sizeOf(gif.readAll()).isValid());
        QImage gray(400, 300, QImage::Format_Grayscale8);
        gray.fill(90);
        QByteArray grayJpeg;
        QBuffer buffer(&grayJpeg);
        buffer.open(QIODevice::WriteOnly);
        gray.save(&buffer, "JPEG");
        QVERIFY(!sizeOf(grayJpeg).isValid());
        QVERIFY(!sizeOf(photoJpeg(400, 300).left(200)).isValid()); // no frame header

        const QByteArray top = photoJpeg(400, 300);
        QFile file(folder.filePath("p.jpg"));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(top.left(top.size() / 3)); // the rest of the rows never arrive
        file.close();
        const OpenPicture open(file.fileName());
        JpegPreview preview(open.fd());
        const QImage rows = preview.decode(2, 40, qRgb(1, 2, 3));
        QCOMPARE(rows.size(), QSize(200, 150));
        QCOMPARE(rows.pixel(100, 149), qRgb(1, 2, 3));
        QVERIFY(rows.pixel(100, 20) != qRgb(1, 2, 3));
    }
};

TOVIK_REGISTER_TEST(TestPreview)
#include "test_preview.moc"
