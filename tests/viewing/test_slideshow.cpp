// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "support/testmain.h"
#include "support/viewer.h"
#include "viewing/frmoptions.h"
#include "viewing/navigation.h"
#include "viewing/slideshow.h"
#include "viewing/zoom.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace tovik;
using namespace tovik::test;

namespace {

struct Show : Viewer {
    Show() { open({"photo.jpg", "static.gif", "rgb24.bmp"}); }
    // One tick; returns the name now on screen.
    QString tick() {
        SlideTick(w());
        return shownName();
    }
    bool pressed(int index) const { return window->Toolbar1->isPressed(index); }
};
} // namespace

class TestSlideShow : public QObject {
    Q_OBJECT
private slots:
    // Shuffled, a lap shows every picture once, none twice running across laps when it loops;
    // without looping it stops after its lap; the menu item says which it is.
    void aShuffledShowShowsEachPictureOnceALap() {
        Show s;
        s.w().Tools_Click();
        QVERIFY(!s.w().Shuffle->isChecked()); // off until turned on
        s.w().Shuffle->trigger();
        s.w().Tools_Click();
        QVERIFY(s.w().Shuffle->isChecked());
        s.w().Toolbar1->click(ClockTimerButton);
        QStringList lap{s.tick(), s.tick(), s.tick()};
        QStringList sorted = lap;
        sorted.sort();
        QCOMPARE(sorted, (QStringList{"photo.jpg", "rgb24.bmp", "static.gif"}));
        QCOMPARE(s.w().shownFile().section('/', -1), lap.last());
        s.tick();
        QVERIFY(!s.w().Timer1.isEnabled()); // one lap, no loop: the show has ended
        QCOMPARE(s.shownName(), lap.last());
        s.w().Toolbar1->click(LoopForeverButton);
        s.w().Toolbar1->click(ClockTimerButton);
        QString last = s.shownName();
        for (int i = 0; i < 30; ++i) {
            const QString now = s.tick();
            QVERIFY(now != last);
            last = now;
        }
        QVERIFY(s.w().Timer1.isEnabled());
    }

    // Started again after a lap, a shuffled show never begins with the picture on screen,
    // whichever entry of the list it is (the last one included).
    void aRestartedShuffledShowNeverRepeatsThePictureShown() {
        Show s;
        s.w().Shuffle->trigger();
        for (int run = 0; run < 30; ++run) {
            s.w().Toolbar1->click(ClockTimerButton);
            s.tick(), s.tick(), s.tick();
            const QString last = s.shownName();
            s.tick();
            QVERIFY(!s.w().Timer1.isEnabled()); // the lap is over, and so is the show
            s.w().Toolbar1->click(ClockTimerButton);
            QVERIFY2(s.tick() != last, qPrintable(last));
            s.w().Toolbar1->click(ClockTimerButton); // stopped
            QVERIFY(!s.w().Timer1.isEnabled());
        }
    }

    void runsToTheEndAndStops() {
        Show s;
        s.state.SlideInterval = 2;
        s.w().Toolbar1->click(ClockTimerButton);
        QVERIFY(s.w().Timer1.isEnabled());
        QCOMPARE(s.w().Timer1.interval(), 1); // the first slide at once
        QVERIFY(s.pressed(ClockTimerButton));
        QCOMPARE(s.buttonStates(), QString("111001110")); // arrows and thumbnail off
        QCOMPARE(s.tick(), QString("static.gif"));
        QCOMPARE(s.w().Timer1.interval(), 2000);
        QCOMPARE(s.tick(), QString("rgb24.bmp"));
        QVERIFY(!s.w().Timer1.isEnabled()); // ended on the last entry
        QVERIFY(!s.pressed(ClockTimerButton));
        QCOMPARE(s.state.CurrentIndex, 3 + 100);
        QCOMPARE(s.buttonStates(), QString("111101110")); // back on, forward off, 14 kept off

        s.w().Toolbar1->click(ClockTimerButton); // a later start begins with the first picture
        QCOMPARE(s.tick(), QString("photo.jpg"));
    }

    void loopsForeverUntilStopped() {
        Show s;
        s.w().Toolbar1->click(LoopForeverButton);
        QVERIFY(s.state.LoopForever);
        QVERIFY(s.pressed(LoopForeverButton));
        s.w().Toolbar1->click(ClockTimerButton);
        QStringList seen;
        for (int i = 0; i < 5; ++i)
            seen << s.tick();
        QCOMPARE(seen,
                 (QStringList{"static.gif", "rgb24.bmp", "photo.jpg", "static.gif", "rgb24.bmp"}));
        QVERIFY(s.w().Timer1.isEnabled());
        s.w().Toolbar1->click(LoopForeverButton); // off mid-show: ends at the next last entry
        QCOMPARE(s.tick(), QString("photo.jpg"));
        QCOMPARE(s.tick(), QString("static.gif"));
        QCOMPARE(s.tick(), QString("rgb24.bmp"));
        QVERIFY(!s.w().Timer1.isEnabled());
        s.w().Toolbar1->click(LoopForeverButton);
        s.w().Toolbar1->click(LoopForeverButton); // twice: back to false, unpressed
        QVERIFY(!s.state.LoopForever);
        QVERIFY(!s.pressed(LoopForeverButton));
    }

    void startingOnTheLastEntryBeginsAtTheFirst() {
        Show s;
        ShowPicture(s.w(), 1);
        ShowPicture(s.w(), 1);
        QCOMPARE(s.shownName(), QString("rgb24.bmp"));
        StartSlideShow(s.w());
        QCOMPARE(s.tick(), QString("photo.jpg"));
    }

    void pageKeysZoomAndStopDuringTheShow() {
        Show t;
        t.w().Toolbar1->click(LoopForeverButton);
        StartSlideShow(t.w());
        QCOMPARE(t.tick(), QString("static.gif"));
        QTest::keyClick(&t.w(), Qt::Key_PageDown);
        QCOMPARE(t.shownName(), QString("photo.jpg"));
        QCOMPARE(t.buttonStates(), QString("111011111")); // ShowPicture's rules while it runs
        QVERIFY(t.w().Timer1.isEnabled());
        ZoomIn(t.w());
        QCOMPARE(t.tick(), QString("static.gif"));
        QCOMPARE(t.w().imgOne->width(), 200); // drawn at the new factor
        t.w().Toolbar1->click(ClockTimerButton);
        QVERIFY(!t.w().Timer1.isEnabled());
        QCOMPARE(t.buttonStates(), QString("111111111"));
        t.w().Toolbar1->click(ClockTimerButton);
        t.w().CloseFile->trigger(); // Close stops it
        QVERIFY(!t.w().Timer1.isEnabled());
        QVERIFY(!t.pressed(ClockTimerButton));
        QVERIFY(!t.state.LoopForever);
    }

    void sheetAsLastEntryKeepsThumbnailOff() {
        Show s;
        s.fake.copySamples({"pal8.bmp"});
        QFile::rename(s.fake.file("pal8.bmp"), s.fake.file(SheetFileName));
        s.state.appendPicture(s.fake.file(SheetFileName));
        StartSlideShow(s.w());
        s.tick();
        s.tick();
        s.tick();
        QCOMPARE(s.status(), QString("Inserted generated thumbnails as last frame"));
        QVERIFY(!s.w().Timer1.isEnabled());
        QVERIFY(!s.w().Toolbar1->isEnabled(14));
        StartSlideShow(s.w());
        StopSlideShow(s.w());
        QVERIFY(!s.w().Toolbar1->isEnabled(14));
    }

    void intervalZeroHaltsWithTheButtonPressed() {
        Show s;
        s.state.SlideInterval = 0;
        StartSlideShow(s.w());
        s.tick();
        QVERIFY(s.w().Timer1.isEnabled());
        QCOMPARE(s.w().Timer1.interval(), 0);
        QVERIFY(s.pressed(ClockTimerButton));
        s.state.SlideInterval = 999999; // from a hand-edited file: the longest interval
        s.tick();
        QCOMPARE(s.w().Timer1.interval(), 86400 * 1000);
        s.state.SlideInterval = -5;
        s.tick();
        QCOMPARE(s.w().Timer1.interval(), 86400 * 1000);
    }

    void tickWithoutListPositionStops() {
        Show s;
        StartSlideShow(s.w());
        s.state.CurrentIndex = 0;
        SlideTick(s.w());
        QVERIFY(!s.w().Timer1.isEnabled());
        QVERIFY(!s.pressed(ClockTimerButton));
    }

    void intervalDialogStoresValidValues() {
        Viewer v;
        v.state.SlideInterval = 5;
        frmOptions dialog(v.w());
        QCOMPARE(dialog.windowTitle(), QString("Options"));
        QCOMPARE(dialog.size(), QSize(312, 162));
        QCOMPARE(dialog.Label2->text(), QString("Time between slides in seconds"));
        QCOMPARE(dialog.Text2->text(), QString("5"));
        dialog.show();
        dialog.Text2->setFocus();
        QTRY_COMPARE(dialog.Text2->selectedText(), QString("5"));
        QTest::keyClicks(dialog.Text2, "a1b-2");
        QCOMPARE(dialog.Text2->text(), QString("12")); // letters discarded, "5" replaced
        // Editing keys work; X11 gives Delete the text "\x7f".
        QTest::keyClick(dialog.Text2, Qt::Key_Home, Qt::ShiftModifier);
        QTest::keyClick(dialog.Text2, Qt::Key_Right);
        QTest::sendKeyEvent(QTest::Click, dialog.Text2, Qt::Key_Delete, QString(QChar(0x7f)),
                            Qt::NoModifier);
        QCOMPARE(dialog.Text2->text(), QString("1"));
        QTest::keyClicks(dialog.Text2, "2");
        QTest::keyClick(dialog.Text2, Qt::Key_Return);
        QVERIFY(dialog.isVisible()); // Enter presses no button
        dialog.Text2->setText("007");
        dialog.Command1->click();
        QCOMPARE(v.state.SlideInterval, 7);
        QCOMPARE(v.fake.read("viewer.ini").split('\r').first(), QByteArray("7"));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void intervalDialogRefusals_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << ""
                               << "Please choose a time between slides";
        QTest::newRow("over a day") << "86401"
                                    << "Please choose a time between 0 and 86400 seconds";
        QTest::newRow("too long for a Long") << "99999999999999"
                                             << "Please choose a time between 0 and 86400 seconds";
        QTest::newRow("pasted text") << "1e3"
                                     << "Please choose a time between 0 and 86400 seconds";
    }
    void intervalDialogRefusals() {
        QFETCH(QString, text);
        QFETCH(QString, message);
        Viewer v;
        v.state.SlideInterval = 5;
        const QByteArray before = v.fake.read("viewer.ini");
        frmOptions dialog(v.w());
        dialog.show();
        dialog.Text2->setText(text);
        dialog.Command1->click();
        QCOMPARE(v.fake.messages.shown.size(), 1);
        QCOMPARE(v.fake.messages.shown.first(), qMakePair(QString("Choose Time"), message));
        QVERIFY(dialog.isVisible());
        QCOMPARE(v.state.SlideInterval, 5);
        QCOMPARE(v.fake.read("viewer.ini"), before);
    }

    void setTimerOpensTheDialogCentred() {
        Viewer v;
        QRect dialogFrame;
        QString title;
        QObject handlerLife;
        onNextDialog(&handlerLife, [&](QWidget* dialog) {
            title = dialog->windowTitle();
            dialogFrame = dialog->frameGeometry();
            dialog->close(); // the close box is Cancel
        });
        v.w().Option->trigger();
        QCOMPARE(title, QString("Options"));
        const QRect main = v.w().frameGeometry();
        QVERIFY(qAbs(dialogFrame.center().x() - main.center().x()) <= 1);
        QVERIFY(qAbs(dialogFrame.center().y() - main.center().y()) <= 1);
        QCOMPARE(v.state.SlideInterval, 5);
    }

    void intervalDialogCancelStoresNothing() {
        Viewer v;
        v.state.SlideInterval = 5;
        frmOptions dialog(v.w());
        dialog.show();
        dialog.Text2->setText("40");
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(dialog.isVisible()); // Escape is no cancel button
        dialog.Command3->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(v.state.SlideInterval, 5);
    }
};

TOVIK_REGISTER_TEST(TestSlideShow)
#include "test_slideshow.moc"
