// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "core/colorref.h"
#include "imaging/openpicture.h"
#include "imaging/pictures.h"
#include "support/filesizelimit.h"
#include "support/hostilefiles.h"
#include "support/testmain.h"
#include "support/viewer.h"
#include "thumbnails/frmprogress.h"
#include "thumbnails/frmthumbnails.h"
#include "thumbnails/frmthumboption.h"
#include "thumbnails/thumbnailcommand.h"
#include "viewing/navigation.h"
#include "viewing/zoom.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <algorithm>

using namespace tovik;
using namespace tovik::test;

namespace {
QColor shownColour(QWidget* widget, QPoint at) {
    return widget->grab().toImage().pixelColor(at);
}

using Sheet = Viewer;
} // namespace

class TestThumbnails : public QObject {
    Q_OBJECT
private slots:
    // A thumbnail's side is the sheet's own sum: half to even, never cut, one pixel at least.
    void aThumbnailsSidesAreRoundedHalfToEven() {
        const ThumbnailScale half{0.5f, 15, 15};
        QCOMPARE(half.of({75, 73}), QSize(38, 36)); // 37.5 and 36.5
        QCOMPARE(half.of({77, 3}), QSize(38, 2));   // 38.5 and 1.5
        QCOMPARE((ThumbnailScale{0.01f, 15, 15}.of({20, 20})), QSize(1, 1));
    }

    void sheetJoinsTheListAsLastFrame() {
        Sheet s;
        s.state.ThumbBackColor = 0x202020;
        s.state.ThumbTextColor = 0xe0e0e0;
        s.open({"photo.jpg", "static.gif", "drawing.wmf"});
        ShowPicture(s.w(), 1);
        s.w().Toolbar1->click(ZoomPlusButton); // zoomed: the sheet still shows at 1
        s.generate("50", "640");
        QVERIFY2(s.fake.messages.shown.isEmpty(),
                 qPrintable(s.fake.messages.shown.value(0).second));
        QCOMPARE(s.state.ZoomFactor, 1.0f);
        const QString sheetFile = s.fake.file(SheetFileName);
        QCOMPARE(s.state.PictureCount, 4);
        QCOMPARE(s.state.PictureList(4), sheetFile);
        QCOMPARE(s.state.CurrentIndex, 104);
        QCOMPARE(s.status(), QString("Inserted generated thumbnails as last frame"));
        QCOMPARE(s.buttonStates(), QString("111101110")); // 4 5 7 on, 8 and 14 off
        const QImage saved(sheetFile);
        QCOMPARE(saved.size(), s.w().imgThree.picture.size());
        QCOMPARE(saved.width(), 640); // 160 + 80 + 100 wide with gaps: one row
        QCOMPARE(saved.pixel(5, 5) & 0xffffff, 0x202020u);
        QCOMPARE(saved.pixel(20 + 40, 20 + 30) & 0xffffff,
                 s.w().imgThree.picture.pixel(60, 50) & 0xffffff);
        QCOMPARE(s.w().imgOne->size(), saved.size());
        QVERIFY(s.fake.clock.turns > 0); // it paused, on the fake clock

        ShowPicture(s.w(), -1);
        QCOMPARE(s.shownName(), QString("drawing.wmf"));
        ShowPicture(s.w(), 1);
        QCOMPARE(s.status(), QString("Inserted generated thumbnails as last frame"));
        emit s.w().Tools->aboutToShow();
        QVERIFY(!s.w().Thumbnail->isEnabled()); // while the sheet file exists
        s.w().CloseFile->trigger();
        QVERIFY(!QFile::exists(sheetFile));
    }

    void tooLongIsHaltedAndChangesNothing() {
        Sheet s;
        QStringList many;
        for (int i = 0; i < 10; ++i) {
            s.fake.copySamples({"photo.jpg"});
            QFile::copy(s.fake.file("photo.jpg"), s.fake.file(QString("p%1.jpg").arg(i)));
            many << QString("p%1.jpg").arg(i);
        }
        s.open(many);
        s.generate("100", "300"); // one 320-pixel photo a row, widened once
        QCOMPARE(s.fake.messages.shown.size(), 2);
        QCOMPARE(s.fake.messages.shown[0],
                 qMakePair(QString("Increase Width"),
                           QString("I need to increase the width to allow for the graphic.")));
        QCOMPARE(s.fake.messages.shown[1].first, QString("Picture is too long"));
        QVERIFY(!QFile::exists(s.fake.file(SheetFileName)));
        QCOMPARE(s.state.PictureCount, 10);
        QVERIFY(!s.state.DialogCancelled);
        QCOMPARE(s.w().imgThree.picture.size(), QSize(320, 240)); // the photo still on screen
    }

    // Thumbnails are decoded on several threads, but drawn in list order: the sheet must not
    // depend on how many workers there were or which finished first. Each file is read once,
    // for both its size and its thumbnail.
    void sheetIsTheSameWithOneWorkerOrMany() {
        Sheet s;
        const QStringList kinds = {"photo.jpg",    "drawing.wmf",     "static.gif", "icon.ico",
                                   "rgb24.bmp",    "drawing.emf",     "pal8.bmp",   "cursor.cur",
                                   "animated.gif", "exif_orient6.jpg"};
        QStringList list;
        for (int lap = 0; lap < 3; ++lap)
            list << s.fake.copySamples(kinds);
        std::rotate(list.begin(), list.begin() + 4, list.end());
        s.state.setPictureList(list);
        s.state.ThumbScale = 0.3f;
        s.state.ThumbPageWidth = 700;
        QImage sheets[2];
        for (const int workers : {1, 4}) {
            frmThumbnails builder(s.w());
            builder.Workers = workers;
            const int opened = picturesOpened();
            builder.Form_Load();
            QCOMPARE(picturesOpened() - opened, int(list.size()));
            sheets[workers == 4] = s.w().imgThree.picture;
        }
        QVERIFY(!sheets[0].isNull());
        QCOMPARE(sheets[1], sheets[0]);
        // and the first thumbnail is the first picture (160 x 120 at 30 %), not just the same
        // thing in both
        const QImage first =
            QImage(list[0]).scaled(48, 36, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QVERIFY(qAbs(qGreen(sheets[0].pixel(20 + 24, 20 + 18)) - qGreen(first.pixel(24, 18))) < 8);
    }

    // The progress window's close box stops the build as a halt does: nothing changes.
    void closingTheProgressWindowStopsTheBuild() {
        Sheet s;
        s.open({"photo.jpg", "static.gif", "rgb24.bmp"});
        const QImage shown = s.w().imgThree.picture;
        bool stillShownAfterClose = false;
        s.fake.clock.duringNextPause = [&] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* progress = qobject_cast<frmProgress*>(top)) {
                    progress->close();
                    stillShownAfterClose = progress->isVisible();
                }
        };
        s.generate("50", "640");
        QVERIFY(stillShownAfterClose); // until the build has stopped
        QCOMPARE(s.state.PictureCount, 3);
        QCOMPARE(s.w().imgThree.picture, shown);
        QCOMPARE(s.shownName(), QString("photo.jpg"));
        QVERIFY(s.w().Toolbar1->isEnabled(ThumbnailButton));
        QVERIFY(!QFile::exists(s.fake.file(SheetFileName)));
        for (QWidget* top : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<frmProgress*>(top) || !top->isVisible());
        s.generate("50", "640"); // and the next build runs to its end
        QCOMPARE(s.state.PictureCount, 4);
    }

    void unreadableEntriesAreSkippedAndNamed() {
        Sheet s;
        s.open({"photo.jpg", "not_a_picture.jpg", "static.gif"});
        s.generate("15", "640");
        QCOMPARE(s.fake.messages.shown.size(), 1); // entry 2 was never displayed: one message
        const auto& skipped = s.fake.messages.shown.last();
        QVERIFY(skipped.second.contains("not_a_picture.jpg"));
        QCOMPARE(s.state.PictureCount, 4);
    }

    // What the window shows has a thumbnail; what it refuses, even once its header has passed,
    // is named, in list order.
    void theSheetAgreesWithTheWindow() {
        Sheet s;
        s.fake.write("topdown.bmp", topDownBitmap(40, 40));
        s.fake.write("broken.ico", iconWithBrokenDirectory());
        QImage deep(40, 40, QImage::Format_RGBA64);
        deep.fill(QColor(0, 255, 0));
        QVERIFY(deep.save(s.fake.file("deep.png")));
        const QStringList list =
            s.fake.copySamples({"topdown.bmp", "broken.ico", "not_a_picture.jpg", "deep.png"});
        s.state.setPictureList(list);
        s.state.ThumbScale = 1;
        s.state.ThumbPageWidth = 700;
        frmThumbnails(s.w()).Form_Load();
        QCOMPARE(s.fake.messages.shown.size(), 1);
        QCOMPARE(s.fake.messages.shown[0].second.split('\n').mid(1),
                 (QStringList{list[1], list[2]}));
        const QImage sheet = s.w().imgThree.picture;
        int firstRed = -1, firstBlue = -1, green = 0;
        for (int y = 0; y < sheet.height(); ++y)
            for (int x = 0; x < sheet.width(); ++x) {
                const QRgb p = sheet.pixel(x, y);
                firstRed = firstRed < 0 && p == qRgb(255, 0, 0) ? y : firstRed;
                firstBlue = firstBlue < 0 && p == qRgb(0, 0, 255) ? y : firstBlue;
                green += p == qRgb(0, 255, 0);
            }
        QVERIFY(firstRed >= 0 && firstBlue > firstRed); // upright
        QCOMPARE(green, 40 * 40);
        QCOMPARE(loadPicture(list[1]).error, PictureError::NotAPicture); // not "too large"
    }

    void optionsDialogValidatesInOrder_data() {
        QTest::addColumn<QString>("percent");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("message");
        QTest::newRow("both empty") << ""
                                    << ""
                                    << "Please enter a percentage.";
        QTest::newRow("0 percent") << "0"
                                   << "640"
                                   << "Please enter a percentage between 1 and 100.";
        QTest::newRow("101 percent") << "101"
                                     << "640"
                                     << "Please enter a percentage between 1 and 100.";
        QTest::newRow("pasted percent") << "1,5"
                                        << "640"
                                        << "Please enter a percentage between 1 and 100.";
        QTest::newRow("width empty") << "15"
                                     << ""
                                     << "Please enter a width.";
        QTest::newRow("width 0") << "15"
                                 << "0"
                                 << "Please enter a width between 1 and 2000.";
        QTest::newRow("width 2001") << "100"
                                    << "2001"
                                    << "Please enter a width between 1 and 2000.";
    }
    void optionsDialogValidatesInOrder() {
        QFETCH(QString, percent);
        QFETCH(QString, width);
        QFETCH(QString, message);
        Viewer v;
        frmThumbOption d(v.w());
        d.show();
        d.txtPercent->setText(percent);
        d.txtWidth->setText(width);
        d.Command1->click();
        QCOMPARE(v.fake.messages.shown.size(), 1);
        QCOMPARE(v.fake.messages.shown.first().second, message);
        QLineEdit* offending = message.contains("percentage") ? d.txtPercent : d.txtWidth;
        QCOMPARE(d.focusWidget(), offending);
        QCOMPARE(offending->selectedText(), offending->text());
        QVERIFY(d.isVisible());
        QCOMPARE(v.state.ThumbScale, 0.15f);
    }

    void optionsDialogShowsAndStoresOptions() {
        Viewer v;
        frmThumbOption d(v.w());
        d.show();
        QCOMPARE(d.windowTitle(), QString("Thumbnail Options"));
        QCOMPARE(d.txtPercent->text(), QString("15"));
        QCOMPARE(d.txtWidth->text(), QString("640"));
        QCOMPARE(shownColour(d.PickColor, {10, 10}), QColor(Qt::white));
        QCOMPARE(shownColour(d.PicFontColor, {10, 10}), QColor(Qt::black));
        QTest::keyClicks(d.txtWidth, "-1.5 a");
        QCOMPARE(d.txtWidth->text(), QString("64015")); // only digits typed

        v.fake.dialogs.colorAnswers << ColorAnswer{DialogResult::Accepted, 0x0000ff}
                                    << ColorAnswer{DialogResult::Cancelled, 0};
        d.PickColor_Click();
        QCOMPARE(v.state.ThumbBackColor, 0x0000ff);
        QCOMPARE(shownColour(d.PicExample, {10, 10}), QColor(Qt::red));
        QCOMPARE(shownColour(d.PickColor, {10, 10}), QColor(Qt::red));
        d.PicFontColor_Click(); // cancelled: nothing changes, the flag is reset
        QCOMPARE(v.state.ThumbTextColor, 0);
        QVERIFY(!v.state.DialogCancelled);
        d.close(); // the close box is Cancel; the picked colour stays
        QVERIFY(v.state.DialogCancelled);
        QCOMPARE(v.state.ThumbBackColor, 0x0000ff);
    }

    void percentageWithDecimalsIsAccepted() {
        Sheet s;
        s.state.ThumbScale = 0.125f; // from a hand-edited settings file
        s.open({"photo.jpg"});
        QObject handlerLife;
        onNextDialog(&handlerLife, [](QWidget* d) {
            auto* options = qobject_cast<frmThumbOption*>(d);
            QCOMPARE(options->txtPercent->text(), QString("12.5"));
            options->Command1->click();
        });
        s.w().Toolbar1->click(ThumbnailButton);
        QVERIFY(s.fake.messages.shown.isEmpty());
        QCOMPARE(s.state.ThumbScale, 0.125f);
        QCOMPARE(s.state.PictureCount, 2);
    }

    void newSheetShowsFromItsTopLeftCorner() {
        Sheet s;
        s.open({"photo.jpg", "static.gif"});
        for (int i = 0; i < 7; ++i)
            ZoomIn(s.w()); // 880 x 660 in a smaller viewport
        s.w().HScroll1->setValue(s.w().HScroll1->maximum());
        s.w().VScroll1->setValue(s.w().VScroll1->maximum());
        s.generate("100", "640"); // wider than the viewport too
        QCOMPARE(s.w().imgOne->pos(), QPoint(0, 0));
        QCOMPARE(s.w().HScroll1->value(), 0);
        QCOMPARE(s.w().VScroll1->value(), 0);
    }

    void sheetThatCannotBeSavedLeavesListAndScreenAsTheyWere_data() {
        QTest::addColumn<bool>("fullDisk");
        QTest::newRow("a folder in the way") << false;
        QTest::newRow("full disk") << true;
    }
    void sheetThatCannotBeSavedLeavesListAndScreenAsTheyWere() {
        QFETCH(bool, fullDisk);
        Sheet s;
        s.open({"photo.jpg", "static.gif"});
        if (!fullDisk)
            QVERIFY(QDir(s.fake.folder.path()).mkdir(SheetFileName));
        const qint64 shown = s.w().imgThree.picture.cacheKey();
        const QString status = s.status();
        {
            std::optional<FileSizeLimit> full;
            if (fullDisk)
                full.emplace(1000);
            s.generate("50", "640");
        }
        QCOMPARE(s.fake.messages.shown.size(), 1);
        QVERIFY(s.fake.messages.shown.first().second.contains(s.fake.file(SheetFileName)));
        QCOMPARE(s.state.PictureCount, 2);
        QCOMPARE(s.status(), status);
        QCOMPARE(s.w().imgThree.picture.cacheKey(), shown);
        QCOMPARE(s.w().imgOne->size(), QSize(320, 240));
    }

    void cancelledOptionsChangeNothingButTheZoom() {
        Viewer v;
        v.open({"photo.jpg"});
        v.w().Toolbar1->click(ZoomPlusButton);
        QObject handlerLife;
        onNextDialog(&handlerLife,
                     [](QWidget* d) { qobject_cast<frmThumbOption*>(d)->Command2->click(); });
        Thumbnail_Click(v.w());
        QCOMPARE(v.state.ZoomFactor, 1.0f);
        QCOMPARE(v.w().imgOne->width(), 400); // still drawn at 1.25 until the next redraw
        QCOMPARE(v.state.PictureCount, 1);
        QVERIFY(!v.state.DialogCancelled);
    }
};

TOVIK_REGISTER_TEST(TestThumbnails)
#include "test_thumbnails.moc"
