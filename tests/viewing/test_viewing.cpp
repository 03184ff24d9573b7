// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "app/dirtree.h"
#include "app/frmshowtell.h"
#include "core/dialogtext.h"
#include "core/zoomsteps.h"
#include "imaging/pictures.h"
#include "imaging/picturesahead.h"
#include "support/imagecompare.h"
#include "support/testmain.h"
#include "support/viewer.h"
#include "viewing/display.h"
#include "viewing/navigation.h"
#include "viewing/zoom.h"

#include <QBuffer>
#include <QColorSpace>
#include <QFile>
#include <QImageReader>
#include <QMenu>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>

#include <cmath>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

using namespace tovik;
using namespace tovik::test;

class TestViewing : public QObject {
    Q_OBJECT
private slots:
    // Every file the program opens is listed by the Open dialog's first filter, in either case.
    void allGraphicsListsEveryPictureTheProgramOpens() {
        const QString allGraphics = qtNameFilters(OpenFilter).first();
        QVERIFY(allGraphics.startsWith("All Graphics ("));
        const QStringList patterns = allGraphics.section('(', 1).chopped(1).split(' ');
        QStringList names = QDir(TOVIK_TESTDATA).entryList({"*.*"}, QDir::Files);
        names.removeIf(
            [](const QString& name) { return name.endsWith(".py") || name.endsWith(".md"); });
        names << "a.jpeg"
              << "b.JPE"
              << "c.png"
              << "d.TIFF"
              << "e.tif"
              << "f.webp"
              << "g.svg"
              << "h.svgz";
        for (const QString& name : names)
            QVERIFY2(QDir::match(patterns, name), qPrintable(name));
        QVERIFY(!QDir::match(patterns, "notes.txt"));
    }

    // Off at the first start; once on, every picture is shown whole, a resize refits, a zoom
    // command leaves it, and it is kept for the next run.
    void fitToWindowShowsEachPictureWhole() {
        Viewer v;
        QVERIFY(!v.state.FitToWindow);
        QImage large(2400, 1200, QImage::Format_RGB32);
        large.fill(Qt::darkGreen);
        QVERIFY(large.save(v.fake.file("large.png")));
        v.fake.copySamples({"icon.ico"});
        v.commands.filesGiven(v.w(), {v.fake.file("large.png"), v.fake.file("icon.ico")});
        QCOMPARE(v.state.ZoomFactor, 1.0f);
        v.w().view->popup({0, 0}); // as a person opens the menu: its items' states are set
        QVERIFY(!v.w().FitToWindow->isChecked());
        v.w().view->close();
        v.w().FitToWindow->trigger();
        const QSize view = v.w().imgTwo->size();
        QCOMPARE(v.state.ZoomFactor, float(view.width()) / 2400);
        QVERIFY(v.w().imgOne->width() <= view.width() && v.w().imgOne->height() <= view.height());
        QVERIFY(v.w().HScroll1->isHidden() && v.w().VScroll1->isHidden());
        QTest::keyClick(&v.w(), Qt::Key_Right);
        QCOMPARE(v.state.ZoomFactor, 1.0f); // small: never enlarged
        QTest::keyClick(&v.w(), Qt::Key_Left);
        v.w().resize(900, 700);
        QTRY_COMPARE(v.state.ZoomFactor, float(v.w().imgTwo->width()) / 2400);
        QCOMPARE(v.fake.read("fit-to-window"), QByteArray("1\n"));
        {
            ViewerState state; // the next run, over the same folder
            frmShowTell again(v.fake.platform, state, v.commands);
            QVERIFY(state.FitToWindow);
        }
        const float fitted = v.state.ZoomFactor;
        v.w().ZoomIn->trigger();
        QVERIFY(!v.state.FitToWindow);
        QCOMPARE(v.state.ZoomFactor, zoomedIn(fitted));
        QVERIFY(v.state.ZoomFactor > fitted && v.state.ZoomFactor - fitted <= 0.25f);
        QCOMPARE(v.fake.read("fit-to-window"), QByteArray("0\n"));
    }

    // animated.gif: red, lime, blue, 500 ms each, for ever.
    void anAnimationPlaysWhileShownAndStopsWhenLeft() {
        Viewer v;
        v.open({"animated.gif", "static.gif"});
        const auto shown = [&] { return v.w().imgThree.picture.pixel(10, 10) & 0xffffff; };
        QCOMPARE(shown(), 0xff0000u);
        QVERIFY(v.w().FrameTimer.isActive());
        QCOMPARE(v.w().FrameTimer.interval(), 500);
        v.commands.frameTick(v.w());
        QCOMPARE(shown(), 0x00ff00u);
        QCOMPARE(v.w().imgOne->grab().toImage().pixel(10, 10) & 0xffffff, 0x00ff00u);
        // Save As writes the frame on screen; a frame due meanwhile waits for its end.
        v.fake.dialogs.fileAnswers << FileAnswer{DialogResult::Accepted, v.fake.file("frame.bmp")};
        v.fake.dialogs.whileOpen = [&] { v.commands.frameTick(v.w()); };
        v.w().SaveAs->trigger();
        v.fake.dialogs.whileOpen = nullptr;
        QCOMPARE(QImage(v.fake.file("frame.bmp")).pixel(10, 10) & 0xffffff, 0x00ff00u);
        QVERIFY(v.w().FrameTimer.isActive());
        v.commands.frameTick(v.w());
        v.commands.frameTick(v.w());
        QCOMPARE(shown(), 0xff0000u); // round again
        QTest::keyClick(&v.w(), Qt::Key_Right);
        QVERIFY(!v.w().FrameTimer.isActive());
        QVERIFY(!v.w().frames);
    }

    // A picture tagged Adobe RGB holding rgb(60, 170, 90) is sRGB (0, 172, 84) on screen, in a
    // saved bitmap and in a sheet; an untagged one is left as the reader gives it.
    void colourProfilesAreConvertedToTheScreensColours() {
        Viewer v;
        QImage tagged(300, 600, QImage::Format_RGB32); // tall enough to be converted in bands
        tagged.fill(qRgb(60, 170, 90));
        tagged.setColorSpace(QColorSpace::AdobeRgb);
        QVERIFY(tagged.save(v.fake.file("adobe.png")));
        QVERIFY(tagged.save(v.fake.file("adobe.jpg"), nullptr, 100));
        const auto near = [](QRgb a, QRgb b) {
            return qAbs(qRed(a) - qRed(b)) <= 2 && qAbs(qGreen(a) - qGreen(b)) <= 2 &&
                   qAbs(qBlue(a) - qBlue(b)) <= 2;
        };
        const QRgb srgb = qRgb(0, 172, 84);
        for (const char* name : {"adobe.png", "adobe.jpg"}) {
            const QImage shown = loadPicture(v.fake.file(name)).image;
            for (const QPoint at : {QPoint(5, 5), QPoint(150, 300), QPoint(299, 599)})
                QVERIFY2(near(shown.pixel(at), srgb), name);
            QVERIFY(near(loadPictureScaled(v.fake.file(name), {30, 60}).pixel(15, 30), srgb));
        }
        v.commands.filesGiven(v.w(), {v.fake.file("adobe.png")});
        v.fake.dialogs.fileAnswers << FileAnswer{DialogResult::Accepted, v.fake.file("saved.bmp")};
        v.w().SaveAs->trigger();
        QVERIFY(near(QImage(v.fake.file("saved.bmp")).pixel(10, 10), srgb));

        const QString untagged = v.fake.copySamples({"photo.jpg"}).first();
        QImage asRead = QImageReader(untagged).read();
        QCOMPARE(loadPicture(untagged).image.convertToFormat(asRead.format()), asRead);
    }

    void openingOnePicture() {
        Viewer v;
        v.open({"photo.jpg"});
        QCOMPARE(v.fake.dialogs.filtersSeen, QStringList{OpenFilter});
        QCOMPARE(v.state.PictureCount, 1);
        QCOMPARE(v.status(), v.fake.file("photo.jpg"));
        QCOMPARE(v.buttonStates(), QString("100001111")); // 2 and zoom and 14 on
        QCOMPARE(v.w().imgThree.width, 320 * 15.0);
        QCOMPARE(v.w().imgOne->size(), QSize(320, 240));
        QCOMPARE(v.state.CurrentIndex, 2);

        emit v.w().File->aboutToShow();
        emit v.w().view->aboutToShow();
        emit v.w().Tools->aboutToShow();
        for (QAction* on : {v.w().SaveAs, v.w().CloseFile, v.w().OriginalSize, v.w().ZoomIn,
                            v.w().ZoomOut, v.w().Thumbnail})
            QVERIFY2(on->isEnabled(), qPrintable(on->objectName()));
    }

    void steppingThroughThreeAndAtTheEnds() {
        Viewer v;
        v.open({"photo.jpg", "static.gif", "rgb24.bmp"});
        QCOMPARE(v.state.PictureList(2), v.fake.file("static.gif"));
        QCOMPARE(v.shownName(), QString("photo.jpg"));
        QCOMPARE(v.buttonStates(), QString("111011111")); // back off, forward on
        v.w().Toolbar1->click(8);
        v.w().Toolbar1->click(8);
        QCOMPARE(v.shownName(), QString("rgb24.bmp"));
        QCOMPARE(v.buttonStates(), QString("111101111")); // back on, forward off
        ShowPicture(v.w(), 1);                            // forward on the last: no wrap
        QCOMPARE(v.shownName(), QString("rgb24.bmp"));
        QTest::keyClick(&v.w(), Qt::Key_PageDown); // Page Down is back
        QCOMPARE(v.shownName(), QString("static.gif"));
        QTest::keyClick(&v.w(), Qt::Key_PageDown, Qt::ShiftModifier);
        QCOMPARE(v.shownName(), QString("photo.jpg"));
        QVERIFY(!v.w().Toolbar1->isEnabled(7));
        ShowPicture(v.w(), -1); // back on the first shows it again
        QCOMPARE(v.shownName(), QString("photo.jpg"));
        QTest::keyClick(&v.w(), Qt::Key_PageUp); // Page Up is forward
        QCOMPARE(v.shownName(), QString("static.gif"));
    }

    // The next picture is decoded while this one is looked at. It is handed over only while its
    // file is the one decoded, and whatever is wrong with it is told only once it is shown.
    void decodingAheadIsNeverStaleNorEarly() {
        Viewer v;
        v.open({"photo.jpg", "static.gif", "not_a_picture.jpg", "rgb24.bmp"});
        PicturesAhead& ahead = v.w().picturesAhead;
        ahead.waitForDecodes();
        QCOMPARE(ahead.held(), size_t(1)); // static.gif, the way the user is going

        QFile::remove(v.fake.file("static.gif")); // replaced on disk by another picture
        QVERIFY(QFile::copy(v.fake.file("rgb24.bmp"), v.fake.file("static.gif")));
        ShowPicture(v.w(), 1);
        QCOMPARE(v.w().imgThree.picture.size(), QImage(v.fake.file("rgb24.bmp")).size());
        QCOMPARE(v.w().imgThree.picture.pixel(5, 5), QImage(v.fake.file("rgb24.bmp")).pixel(5, 5));

        ahead.waitForDecodes();            // the broken file is decoded ahead: no word of it yet
        QCOMPARE(ahead.held(), size_t(2)); // and photo.jpg, shown before, kept for a step back
        QVERIFY(v.fake.messages.shown.isEmpty());
        ShowPicture(v.w(), 1);
        QCOMPARE(v.fake.messages.shown.size(), 1);
        QCOMPARE(v.fake.messages.shown.first().second, QString("Invalid Picture Format"));
        ahead.waitForDecodes();
        QVERIFY(ahead.ready(v.fake.file("photo.jpg")) && ahead.ready(v.fake.file("rgb24.bmp")));

        ShowPicture(v.w(), -1); // back: the way changes, and at most two ever wait
        ShowPicture(v.w(), -1);
        for (const char* name : {"photo.jpg", "static.gif", "rgb24.bmp"})
            ahead.decodeAhead(v.fake.file(name), 0);
        ahead.waitForDecodes();
        QCOMPARE(ahead.held(), size_t(2));
        v.w().CloseFile->trigger();
        QCOMPARE(ahead.held(), size_t(0));
        QCOMPARE(ahead.heldBytes(), 0);
    }

    // Rewritten in place with the same size: once with a new modification time, once with the
    // old one put back (cp -p, rsync -t); only the change time tells the second.
    void aFileRewrittenInPlaceIsLoadedAfresh() {
        Viewer v;
        const QString path = v.fake.copySamples({"pal8.bmp"}).first();
        const QByteArray local = QFile::encodeName(path);
        QImage other(path);
        for (const bool keepTime : {false, true}) {
            other.invertPixels();
            QBuffer bytes;
            bytes.open(QIODevice::WriteOnly);
            QVERIFY(other.save(&bytes, "BMP"));
            PicturesAhead ahead;
            ahead.decodeAhead(path, 0);
            ahead.waitForDecodes();
            struct stat before {};
            QVERIFY(::stat(local.constData(), &before) == 0);
            QThread::msleep(20); // the clock moves on, whatever its grain
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite) && file.size() == bytes.size());
            QCOMPARE(file.write(bytes.data()), bytes.size());
            file.close();
            const timespec times[2] = {before.st_atim, before.st_mtim};
            QVERIFY(!keepTime || ::utimensat(AT_FDCWD, local.constData(), times, 0) == 0);
            // the decoding helper hands paletted pictures over as 32-bit ones
            QCOMPARE(ahead.take(path).image.convertToFormat(QImage::Format_RGB32),
                     QImage(path).convertToFormat(QImage::Format_RGB32));
        }
    }

    // Beside a shown picture that takes nearly the whole budget, the next one is not decoded
    // ahead: it is loaded when shown.
    void decodingAheadLeavesTheBudgetToTheShownPicture() {
        Viewer v;
        const QString path = v.fake.copySamples({"photo.jpg"}).first();
        PicturesAhead ahead;
        ahead.decodeAhead(path, PictureBudgetBytes - 1000);
        ahead.waitForDecodes();
        QCOMPARE(ahead.heldBytes(), 0);
        QCOMPARE(ahead.take(path).image.size(), QSize(320, 240));
        ahead.decodeAhead(path, 0);
        ahead.waitForDecodes();
        QCOMPARE(ahead.heldBytes(), 320 * 240 * 4);
    }

    void lastEntryMarker() {
        Viewer v;
        v.open({"photo.jpg", "static.gif", "rgb24.bmp"});
        v.state.CurrentIndex = v.state.PictureCount + 100;
        ShowPicture(v.w(), -1);
        QCOMPARE(v.shownName(), QString("static.gif"));
        v.state.CurrentIndex = v.state.PictureCount + 100;
        ShowPicture(v.w(), 1);
        QCOMPARE(v.shownName(), QString("rgb24.bmp"));
    }

    void cancelledOpenChangesNothing() {
        Viewer v;
        v.open({"photo.jpg", "static.gif"});
        ZoomIn(v.w());
        v.w().Toolbar1->click(OpenButton); // the script is empty: the dialog is cancelled
        QCOMPARE(v.state.PictureCount, 2);
        QCOMPARE(v.state.ZoomFactor, 1.25f);
        QVERIFY(!v.state.DialogCancelled);
        QVERIFY(v.w().pictureLoaded());
    }

    void closeFileResetsEverything() {
        Viewer v;
        v.open({"photo.jpg", "static.gif"});
        v.fake.write(SheetFileName, "x");
        v.fake.write(ScratchFileName, "x");
        v.w().CloseFile->trigger();
        QCOMPARE(v.state.PictureCount, 0);
        QCOMPARE(v.status(), QString());
        QVERIFY(!v.w().pictureLoaded());
        QVERIFY(v.w().imgOne->isEmpty());
        QCOMPARE(v.buttonStates(), QString("000000000"));
        QVERIFY(!QFile::exists(v.fake.file(SheetFileName)));
        QVERIFY(!QFile::exists(v.fake.file(ScratchFileName)));
        QTest::keyClick(&v.w(), Qt::Key_PageUp); // no list: nothing happens
        QCOMPARE(v.status(), QString());
    }

    void sheetFileKeepsThumbnailButtonOff() {
        Viewer v;
        v.open({"photo.jpg", "static.gif"});
        v.w().Toolbar1->setEnabled(ThumbnailButton, false);
        v.fake.write(SheetFileName, "x");
        ShowPicture(v.w(), 1);
        QVERIFY(!v.w().Toolbar1->isEnabled(14));
        emit v.w().Tools->aboutToShow();
        QVERIFY(!v.w().Thumbnail->isEnabled());
        tovik::Display(v.w(), v.fake.file(SheetFileName));
        QCOMPARE(v.status(), SheetStatusText);
    }

    void everyFormatLoadsAtItsSize_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("pixels");
        QTest::newRow("bmp 24") << "rgb24.bmp" << QSize(160, 120);
        QTest::newRow("bmp v5") << "argb32_v5.bmp" << QSize(160, 120);
        QTest::newRow("bmp 4-bit") << "pal4.bmp" << QSize(160, 120);
        QTest::newRow("bmp rle8") << "pal8_rle.bmp" << QSize(160, 120);
        QTest::newRow("jpeg") << "photo.jpg" << QSize(320, 240);
        QTest::newRow("jpeg rotated") << "exif_orient6.jpg" << QSize(120, 160);
        QTest::newRow("truncated jpeg") << "truncated.jpg" << QSize(320, 240);
        QTest::newRow("gif") << "static.gif" << QSize(160, 120);
        QTest::newRow("animated gif") << "animated.gif" << QSize(64, 48);
        QTest::newRow("ico, largest") << "icon.ico" << QSize(48, 48);
        QTest::newRow("cur") << "cursor.cur" << QSize(32, 32);
        QTest::newRow("wmf") << "drawing.wmf" << QSize(200, 150);
        QTest::newRow("emf") << "drawing.emf" << QSize(200, 150);
    }
    void everyFormatLoadsAtItsSize() {
        QFETCH(QString, name);
        QFETCH(QSize, pixels);
        Viewer v;
        v.open({name});
        QVERIFY(v.fake.messages.shown.isEmpty());
        QCOMPARE(v.w().imgThree.picture.size(), pixels);
        QCOMPARE(v.w().imgThree.height, pixels.height() * 15.0);
        QCOMPARE(v.w().imgOne->size(), pixels);
    }

    void picturesLookRight() {
        Viewer v;
        v.open({"exif_orient6.jpg", "drawing.wmf", "drawing.emf"});
        const QImage upright = v.w().imgThree.picture;
        QVERIFY(qRed(upright.pixel(114, 5)) > 200 && qGreen(upright.pixel(114, 5)) < 60);
        ShowPicture(v.w(), 1);
        const QImage wmf = v.w().imgThree.picture;
        QCOMPARE(wmf.pixel(50, 40) & 0xffffff, 0xff0000u);
        QCOMPARE(wmf.pixel(145, 50) & 0xffffff, 0x0000ffu);
        ShowPicture(v.w(), 1);
        const QImage emf = v.w().imgThree.picture;
        QVERIFY(qRed(emf.pixel(50, 40)) > 200 && qBlue(emf.pixel(50, 40)) < 60);
        QVERIFY(qBlue(emf.pixel(145, 50)) > 200 && qRed(emf.pixel(145, 50)) < 60);
    }

    // Both metafile kinds draw the sample's ellipse (centre 145, 50; radii 40 and 30) with
    // smooth edges where the drawing's own coordinates put them.
    void metafilesDrawSmoothlyWhereTheirCoordinatesSay() {
        Viewer v;
        for (const QString name : {"drawing.wmf", "drawing.emf"}) {
            const QImage drawn = loadPicture(v.fake.copySamples({name}).first()).image;
            QCOMPARE(drawn.size(), QSize(200, 150));
            // Row 30 (centre 30.5) meets the ellipse 30.4 pixels left of its centre, inside
            // pixel 114: white to blue, so coverage is how much red is gone.
            double covered = 0;
            int partial = 0;
            for (int x = 100; x < 145; ++x) {
                const double coverage = 1 - qRed(drawn.pixel(x, 30)) / 255.0;
                covered += coverage;
                partial += coverage > 0.15 && coverage < 0.85;
            }
            const double halfWidth = 40 * std::sqrt(1 - std::pow(19.5 / 30, 2));
            QVERIFY2(qAbs(covered - halfWidth) < 1.0,
                     qPrintable(QString("%1: %2 covered").arg(name).arg(covered)));
            QVERIFY2(partial >= 1, qPrintable(name + ": a hard edge"));
        }
    }

    void badFilesKeepThePreviousPicture_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::newRow("text named .jpg") << "not_a_picture.jpg"
                                         << "Invalid Picture";
        QTest::newRow("empty file") << "empty.bmp"
                                    << "Invalid Picture";
        QTest::newRow("absurd header") << "huge_header.bmp"
                                       << "Picture Too Large";
        QTest::newRow("most negative width") << "min_width.bmp"
                                             << "Invalid Picture";
        QTest::newRow("most negative height") << "min_height.bmp"
                                              << "Invalid Picture";
        QTest::newRow("missing file") << "missing.gif"
                                      << "";
    }
    void badFilesKeepThePreviousPicture() {
        QFETCH(QString, name);
        QFETCH(QString, title);
        Viewer v;
        v.fake.write("empty.bmp", QByteArray());
        v.fake.copySamples({"rgb24.bmp"});
        for (const auto& [file, at] : {std::pair{"min_width.bmp", 18}, {"min_height.bmp", 22}}) {
            QByteArray bmp = v.fake.read("rgb24.bmp");
            bmp.replace(at, 4, QByteArray("\x00\x00\x00\x80", 4)); // -2147483648
            v.fake.write(file, bmp);
        }
        v.open({"photo.jpg"});
        const QImage before = v.w().imgOne->drawnPart(v.w().imgOne->rect());
        if (name != "missing.gif")
            v.fake.copySamples({name});
        tovik::Display(v.w(), v.fake.file(name));
        QCOMPARE(v.status(), v.fake.file(name));
        QCOMPARE(v.w().imgOne->drawnPart(v.w().imgOne->rect()), before);
        QCOMPARE(v.w().imgThree.picture.size(), QSize(320, 240));
        if (title.isEmpty()) {
            QVERIFY(v.fake.messages.shown.isEmpty());
            return;
        }
        QCOMPARE(v.fake.messages.shown.size(), 1);
        QCOMPARE(v.fake.messages.shown.first().first, title);
        if (title == "Invalid Picture")
            QCOMPARE(v.fake.messages.shown.first().second, QString("Invalid Picture Format"));
    }

    void zoomStepsAndClamps() {
        Viewer v;
        v.open({"photo.jpg", "static.gif"});
        QList<float> seen;
        for (int i = 0; i < 8; ++i) {
            v.w().Toolbar1->click(ZoomPlusButton);
            seen << v.state.ZoomFactor;
        }
        QCOMPARE(seen, (QList<float>{1.25f, 1.5f, 1.75f, 2.0f, 2.25f, 2.5f, 2.75f, 2.75f}));
        QCOMPARE(v.w().imgOne->size(), QSize(880, 660));
        ShowPicture(v.w(), 1); // the factor stays for the next picture
        QCOMPARE(v.w().imgOne->size(), QSize(440, 330));
        v.w().Toolbar1->click(ZoomEqualButton);
        QCOMPARE(v.state.ZoomFactor, 1.0f);
        QCOMPARE(v.w().imgOne->size(), QSize(160, 120));
        for (int i = 0; i < 4; ++i)
            v.w().ZoomOut->trigger();
        QCOMPARE(v.state.ZoomFactor, 0.25f);
        QCOMPARE(v.w().imgOne->size(), QSize(40, 30));
        v.w().OriginalSize->trigger();
        QCOMPARE(v.state.ZoomFactor, 1.0f);
        v.w().ZoomIn->trigger();
        v.w().ZoomIn->trigger();
        QCOMPARE(v.w().surfaceWidth, 160 * 15 * 1.5);
        v.w().CloseFile->trigger();
        QCOMPARE(v.state.ZoomFactor, 1.0f);
    }

    // Large pictures are decoded into memory the program maps itself; the pixels must be the
    // ones the reader gives on its own, whatever the row length.
    void largePicturesLoadAsTheReaderReadsThem() {
        Viewer v;
        for (const auto format : {QImage::Format_RGB32, QImage::Format_Grayscale8}) {
            QImage made(format == QImage::Format_RGB32 ? 1601 : 6001, 1500, format); // over 8 MB
            for (int y = 0; y < made.height(); ++y)
                for (int x = 0; x < made.width(); ++x)
                    made.setPixel(x, y,
                                  format == QImage::Format_RGB32
                                      ? qRgb(x % 256, y % 256, (x * y) % 256)
                                      : uint((x + y) % 256));
            const QString path = v.fake.file("large.jpg");
            QVERIFY(made.save(path, "JPEG", 90));
            const PictureLoad load = loadPicture(path);
            QCOMPARE(load.error, PictureError::None);
            QCOMPARE(load.image.format(), format);
            QCOMPARE(load.image, QImageReader(path).read());
        }
    }

    // Only the visible part is ever scaled; it must look as the whole picture scaled would.
    void drawsTheVisiblePartAsTheWholeScaled() {
        Viewer v;
        v.open({"photo.jpg"}); // 320 x 240 in a smaller viewport once zoomed
        for (const float zoom : {0.25f, 0.75f, 1.0f, 1.75f, 2.75f}) {
            v.state.ZoomFactor = zoom;
            QCOMPARE(v.w().redraw(), frmShowTell::Redraw::Drawn);
            const QImage whole = v.w().imgThree.picture.scaled(
                v.w().imgOne->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            for (const double along : {0.0, 0.37, 1.0}) {
                for (QScrollBar* bar : {v.w().HScroll1, v.w().VScroll1})
                    bar->setValue(qRound(bar->maximum() * along));
                const QRect visible =
                    QRect(-v.w().imgOne->pos(), v.w().imgTwo->size()) & v.w().imgOne->rect();
                const QImage shown = v.w().imgTwo->grab().toImage().copy(
                    QRect(v.w().imgOne->pos() + visible.topLeft(), visible.size()));
                const ImageDifference d = difference(shown, whole.copy(visible));
                QVERIFY2(d.worst <= 2 && d.mean < 0.3,
                         qPrintable(QString("zoom %1 at %2: worst %3, mean %4")
                                        .arg(zoom)
                                        .arg(along)
                                        .arg(d.worst)
                                        .arg(d.mean)));
            }
        }
    }

    void zoomFallsBackOneStepWhenTheSurfaceCannotGrow() {
        Viewer v;
        v.open({"photo.jpg"});              // 320 x 240
        v.w().renderBudget = 700 * 520 * 4; // 2.0 (640 x 480) fits, 2.25 (720 x 540) does not
        for (int i = 0; i < 5; ++i)
            ZoomIn(v.w());
        QCOMPARE(v.state.ZoomFactor, 2.0f);
        QCOMPARE(v.w().imgOne->size(), QSize(640, 480));
    }

    void zoomInATinyWindowKeepsTheFactor() {
        Viewer v;
        v.open({"photo.jpg"});
        v.w().resize(200, 60); // no room for a viewport below the toolbar
        QCoreApplication::processEvents();
        ZoomIn(v.w());
        QCOMPARE(v.state.ZoomFactor, 1.25f);
        v.w().resize(640, 480);
        QCoreApplication::processEvents();
        QCOMPARE(v.w().imgOne->size(), QSize(400, 300)); // drawn once there is room
    }

    void zoomWithoutPictureDrawsNothing() {
        Viewer v;
        ZoomIn(v.w());
        QCOMPARE(v.state.ZoomFactor, 1.25f); // the step stays, nothing is drawn
        QVERIFY(v.w().imgOne->isEmpty());
    }

    void scrollingMovesTheSurface() {
        Viewer v;
        v.open({"photo.jpg"});
        QVERIFY(v.w().HScroll1->isHidden());
        for (int i = 0; i < 6; ++i)
            ZoomIn(v.w()); // 2.5: 800 x 600 pixels in a smaller viewport
        QVERIFY(v.w().HScroll1->isVisible());
        QVERIFY(v.w().VScroll1->isVisible());
        const double excess = v.w().surfaceWidth - v.w().imgTwo->width() * 15.0;
        QCOMPARE(v.w().HScroll1->maximum(), qRound(excess));
        QCOMPARE(v.w().HScroll1->pageStep(), qRound(excess / 10));
        v.w().HScroll1->setValue(1500);
        v.w().VScroll1->setValue(300);
        QCOMPARE(v.w().imgOne->pos(), QPoint(-100, -20));

        ZoomIn(v.w()); // redrawn from the top-left; positions are kept, bars re-ranged
        QCOMPARE(v.w().HScroll1->value(), 1500);
        QCOMPARE(v.w().imgOne->pos(), QPoint(0, 0));
        v.w().resize(1200, 900); // now it fits: bars hidden
        QCoreApplication::processEvents();
        QVERIFY(v.w().HScroll1->isHidden());
        QVERIFY(v.w().VScroll1->isHidden());
    }

    void dialogHostModes() {
        FakePlatform fake;
        ViewerState state;
        fake.dialogs.colorAnswers << ColorAnswer{DialogResult::Accepted, 0x00ff00}
                                  << ColorAnswer{DialogResult::Accepted, 0x0000ff}
                                  << ColorAnswer{DialogResult::Cancelled, 0}
                                  << ColorAnswer{DialogResult::Failed, 0};
        for (qint16 mode : {2, 3, 3, 3}) {
            state.DialogMode = mode;
            dirTree(fake.platform, state).Form_Load();
        }
        QCOMPARE(state.ThumbBackColor, 0x00ff00);
        QCOMPARE(state.ThumbTextColor, 0x0000ff);
        QVERIFY(state.DialogCancelled); // the cancel, not the failure
        state.DialogCancelled = false;

        state.DialogMode = 4;
        fake.dialogs.fileAnswers << FileAnswer{DialogResult::Accepted, "/tmp/x.jpg"};
        dirTree save(fake.platform, state);
        save.Form_Load();
        QCOMPARE(save.FileName, QString("/tmp/x.jpg"));
        QCOMPARE(fake.dialogs.filtersSeen.last(), SaveFilter);

        state.DialogMode = 1; // a failed Open keeps the previous selection
        state.SelectedFiles = "before";
        fake.dialogs.fileAnswers << FileAnswer{DialogResult::Failed, {}};
        dirTree(fake.platform, state).Form_Load();
        QCOMPARE(state.SelectedFiles, QString("before"));
        QVERIFY(!state.DialogCancelled);
    }
};

TOVIK_REGISTER_TEST(TestViewing)
#include "test_viewing.moc"
