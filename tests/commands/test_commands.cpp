// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "platform/qtdialogs.h"
#include "platform/qtmessages.h"
#include "platform/termination.h"
#include "support/testmain.h"
#include "support/viewer.h"
#include "viewing/frmoptions.h"

#include <csignal>

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QMenuBar>
#include <QMimeData>
#include <QNativeGestureEvent>
#include <QPointingDevice>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>

using namespace tovik;
using namespace tovik::test;

namespace {
// Three pictures open, and a sheet about to be built: its first pause is the moment in which
// the tests act as an impatient person would.
struct Busy;
void pressGoInTheNextDialog(Busy& b);

struct Busy : Viewer {
    Busy() { open({"photo.jpg", "static.gif", "rgb24.bmp"}); }
    QStringList listNames() const {
        QStringList names;
        for (qint32 i = 1; i <= state.PictureCount; ++i)
            names << state.PictureList(i).section(QDir::separator(), -1);
        return names;
    }
    void duringTheBuild(std::function<void(Busy&)> act) {
        fake.clock.duringNextPause = [this, act] { act(*this); };
        generate("50", "640");
    }
    QObject handlerLife; // for handlers of dialogs that a command run too soon would open
};

void pressGoInTheNextDialog(Busy& b) {
    onNextDialog(&b.handlerLife, [](QWidget* d) {
        if (auto* options = qobject_cast<frmThumbOption*>(d))
            options->Command1->click();
    });
}
} // namespace

class TestCommands : public QObject {
    Q_OBJECT
private slots:
    void commandsDuringASheetBuildDoNothing_data() {
        QTest::addColumn<std::function<void(Busy&)>>("act");
        using Act = std::function<void(Busy&)>;
        QTest::newRow("Generate Thumbnails again, and Go")
            << Act([](Busy& b) { b.generate("50", "640"); });
        QTest::newRow("Tools, Generate Thumbnails, and Go") << Act([](Busy& b) {
            pressGoInTheNextDialog(b);
            b.w().Thumbnail->trigger();
        });
        QTest::newRow("Close File") << Act([](Busy& b) { b.w().CloseFile->trigger(); });
        QTest::newRow("Open") << Act([](Busy& b) {
            b.fake.answerOpen({"photo.jpg"});
            b.w().Open->trigger();
        });
        QTest::newRow("Zoom In") << Act([](Busy& b) { b.w().Toolbar1->click(ZoomPlusButton); });
        QTest::newRow("the Right, End and + keys") << Act([](Busy& b) {
            for (const Qt::Key key : {Qt::Key_Right, Qt::Key_End, Qt::Key_Plus})
                QTest::keyClick(&b.w(), key);
        });
    }
    void commandsDuringASheetBuildDoNothing() {
        QFETCH(std::function<void(Busy&)>, act);
        Busy b;
        b.duringTheBuild(act);
        QCOMPARE(b.listNames(),
                 (QStringList{"photo.jpg", "static.gif", "rgb24.bmp", "tempnail.bmp"}));
        QCOMPARE(b.state.ZoomFactor, 1.0f);
        QCOMPARE(b.state.CurrentIndex, 104);
        QCOMPARE(b.status(), SheetStatusText);
        QCOMPARE(b.w().imgThree.picture.size(), QImage(b.fake.file("tempnail.bmp")).size());
        QVERIFY(b.fake.messages.shown.isEmpty());
        b.w().Toolbar1->click(ZoomPlusButton); // and commands work again afterwards
        QCOMPARE(b.state.ZoomFactor, 1.25f);
    }

    void closingDuringASheetBuildStopsItAndShutsDown() {
        Busy b;
        b.w().move(150, 120);
        const QRect frame = b.w().frameGeometry();
        b.duringTheBuild([](Busy& b) { b.w().close(); });
        QVERIFY(!b.w().isVisible());
        QCOMPARE(b.state.PictureCount, 3); // nothing handed over
        QVERIFY(!QFile::exists(b.fake.file("tempnail.bmp")));
        QVERIFY(!QFile::exists(b.fake.file("~temp.bmp")));
        const QList<QByteArray> ini = b.fake.read("viewer.ini").split('\n');
        QCOMPARE(ini.at(6).trimmed(), QByteArray::number(frame.x() * 15));
        QCOMPARE(ini.at(7).trimmed(), QByteArray::number(frame.y() * 15));
    }

    void slideShowOverABadFileShowsOneBoxAndKeepsItsPlace() {
        Viewer v;
        v.open({"photo.jpg", "not_a_picture.jpg", "static.gif", "rgb24.bmp"});
        v.w().Toolbar1->click(ClockTimerButton);
        int ticksWhileOpen = 0;
        v.fake.messages.whileShown = [&] {
            for (; ticksWhileOpen < 15; ++ticksWhileOpen) // fifteen seconds of a 1 s show
                emit v.w().Timer1.Timer();
            QTest::keyClick(&v.w(), Qt::Key_PageUp);
        };
        emit v.w().Timer1.Timer(); // the bad file
        QCOMPARE(v.fake.messages.shown.size(), 1);
        QCOMPARE(v.fake.messages.deepest, 1);
        QCOMPARE(v.state.CurrentIndex, 3);
        emit v.w().Timer1.Timer(); // the show goes on past it
        QCOMPARE(v.shownName(), QString("static.gif"));
        v.w().Toolbar1->click(ClockTimerButton);
        QVERIFY(!v.w().Toolbar1->isPressed(ClockTimerButton));
        QTest::keyClick(&v.w(), Qt::Key_PageUp);
        QCOMPARE(v.shownName(), QString("rgb24.bmp"));
        QTest::keyClick(&v.w(), Qt::Key_PageDown);
        QCOMPARE(v.shownName(), QString("static.gif"));
    }

    // Each key does what its button or menu item does.
    void keysStepZoomAndExit() {
        Viewer v;
        v.open({"photo.jpg", "static.gif", "icon.ico"});
        const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
            QTest::keyClick(&v.w(), key, modifiers);
            return v.shownName();
        };
        QCOMPARE(press(Qt::Key_Right), QString("static.gif"));
        QCOMPARE(press(Qt::Key_Space), QString("icon.ico"));
        QCOMPARE(press(Qt::Key_Left), QString("static.gif"));
        QCOMPARE(press(Qt::Key_Backspace), QString("photo.jpg"));
        QCOMPARE(press(Qt::Key_End), QString("icon.ico"));
        QVERIFY(!v.w().Toolbar1->isEnabled(RightArrowButton));
        QCOMPARE(press(Qt::Key_Home), QString("photo.jpg"));
        QVERIFY(!v.w().Toolbar1->isEnabled(LeftArrowButton));
        press(Qt::Key_Plus);
        QCOMPARE(v.state.ZoomFactor, 1.25f);
        press(Qt::Key_Equal, Qt::ControlModifier);
        QCOMPARE(v.state.ZoomFactor, 1.5f);
        press(Qt::Key_Minus, Qt::KeypadModifier);
        QCOMPARE(v.state.ZoomFactor, 1.25f);
        press(Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(v.state.ZoomFactor, 1.0f);
        press(Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!v.w().isVisible());
        QCOMPARE(v.fake.read("viewer.ini").count('\n'), 11);
    }

    // F11: the picture alone on black, the rest hidden, the viewport larger; Escape comes back.
    void fullScreenHidesAllButThePicture() {
        Viewer v;
        v.open({"photo.jpg", "static.gif"});
        const QRect viewport = v.w().imgTwo->geometry();
        const LivePlacement placed = v.w().livePlacement();
        QTest::keyClick(&v.w(), Qt::Key_F11);
        QVERIFY(v.w().fullScreen());
        QVERIFY(v.w().Toolbar1->isHidden() && v.w().SB1->isHidden() && v.w().menuBar()->isHidden());
        QTRY_VERIFY(v.w().imgTwo->height() > viewport.height());
        QCOMPARE(v.w().imgTwo->y(), 0);
        QCOMPARE(v.w().livePlacement().rect.width, placed.rect.width); // viewer.ini's, unchanged
        QTest::keyClick(&v.w(), Qt::Key_Right);                        // the keys work there too
        QCOMPARE(v.shownName(), QString("static.gif"));
        QTest::keyClick(&v.w(), Qt::Key_Escape);
        QVERIFY(!v.w().fullScreen());
        QVERIFY(!v.w().Toolbar1->isHidden() && !v.w().SB1->isHidden());
        QTRY_COMPARE(v.w().imgTwo->geometry(), viewport);
    }

    void zoomKeysNeedAPicture() {
        Viewer v;
        QTest::keyClick(&v.w(), Qt::Key_Plus);
        QCOMPARE(v.state.ZoomFactor, 1.0f);
        QVERIFY(!v.w().pictureLoaded());
    }

    // A 1 s show over three pictures of different sizes; Save As chosen while the second shows,
    // its dialog left open for three ticks and a Page key.
    void aCommandActsOnWhatWasShownWhenItWasChosen() {
        Viewer v;
        v.open({"photo.jpg", "static.gif", "icon.ico"});
        v.w().Toolbar1->click(ClockTimerButton);
        emit v.w().Timer1.Timer();
        QCOMPARE(v.shownName(), QString("static.gif"));
        v.fake.dialogs.fileAnswers << FileAnswer{DialogResult::Accepted, v.fake.file("shown.bmp")};
        v.fake.dialogs.whileOpen = [&] {
            for (int i = 0; i < 3; ++i)
                emit v.w().Timer1.Timer();
            QTest::keyClick(&v.w(), Qt::Key_PageUp);
        };
        v.w().SaveAs->trigger();
        v.fake.dialogs.whileOpen = nullptr;
        QCOMPARE(QImage(v.fake.file("shown.bmp")).size(), QSize(160, 120)); // static.gif's
        QCOMPARE(v.shownName(), QString("static.gif"));
        QCOMPARE(v.state.CurrentIndex, 3);
        QVERIFY(v.w().Timer1.isEnabled()); // the show goes on where it was
        emit v.w().Timer1.Timer();
        QCOMPARE(v.shownName(), QString("icon.ico"));
    }

    void aTickDuringAPageKeysMessageIsDropped() {
        Viewer v;
        v.open({"photo.jpg", "not_a_picture.jpg", "static.gif"});
        v.w().Toolbar1->click(ClockTimerButton);
        v.fake.messages.whileShown = [&] { emit v.w().Timer1.Timer(); };
        QTest::keyClick(&v.w(), Qt::Key_PageUp);
        QCOMPARE(v.fake.messages.shown.size(), 1);
        QCOMPARE(v.state.CurrentIndex, 3);
    }

    // A folder given lists its pictures; a file given alone brings its folder's pictures with it.
    void aFolderOrALoneFileListsTheFoldersPictures() {
        Viewer v;
        v.fake.copySamples({"photo.jpg"});
        for (const char* name : {"photo10.jpg", "photo2.JPG", "Photo1.gif", "a.PNG"})
            QFile::copy(v.fake.file("photo.jpg"), v.fake.file(name));
        v.fake.write("notes.txt", "words");
        QDir(v.fake.folder.path()).mkdir("inner.jpg"); // a folder, and not gone into
        QFile::copy(v.fake.file("photo.jpg"), v.fake.file("inner.jpg/deep.jpg"));
        const QStringList expected = {"a.PNG", "photo.jpg", "Photo1.gif", "photo2.JPG",
                                      "photo10.jpg"};
        const auto listNames = [&] {
            QStringList names;
            for (qint32 i = 1; i <= v.state.PictureCount; ++i)
                names << QFileInfo(v.state.PictureList(i)).fileName();
            return names;
        };
        v.commands.filesGiven(v.w(), {v.fake.folder.path()});
        QCOMPARE(listNames(), expected);
        QCOMPARE(v.shownName(), QString("a.PNG"));
        v.commands.filesGiven(v.w(), {v.fake.file("photo2.JPG")});
        QCOMPARE(listNames(), expected);
        QCOMPARE(v.shownName(), QString("photo2.JPG"));
        QTest::keyClick(&v.w(), Qt::Key_Right);
        QCOMPARE(v.shownName(), QString("photo10.jpg"));
        v.commands.filesGiven(v.w(), {v.fake.file("notes.txt")}); // named, so opened, alone
        QCOMPARE(listNames(), QStringList{"notes.txt"});
        QCOMPARE(v.fake.messages.shown.value(0).second, QString("Invalid Picture Format"));
        v.commands.filesGiven(v.w(), {v.fake.file("photo10.jpg"), v.fake.file("a.PNG")});
        QCOMPARE(listNames(), (QStringList{"photo10.jpg", "a.PNG"})); // several: as given
    }

    // A picture whose name is no UTF-8 cannot be opened by its name: it is named as left out,
    // never dropped without a word.
    void aPictureNamedInAnotherEncodingIsNamedAsLeftOut() {
        Viewer v;
        v.fake.copySamples({"photo.jpg"});
        const QByteArray latin1 = QFile::encodeName(v.fake.folder.path()) + "/caf\xe9.jpg";
        const int fd = ::open(latin1.constData(), O_WRONLY | O_CREAT, 0600);
        QVERIFY(fd >= 0);
        ::close(fd);
        v.commands.filesGiven(v.w(), {v.fake.folder.path()});
        QCOMPARE(v.state.PictureCount, 1);
        QCOMPARE(v.fake.messages.shown.size(), 1);
        const QString said = v.fake.messages.shown.first().second;
        QVERIFY(said.startsWith("These files cannot be read and were left out:"));
        QVERIFY2(said.contains(QString("caf") + QChar(QChar::ReplacementCharacter) + ".jpg"),
                 qPrintable(said));
    }

    void filesFromOutsideBuildTheListAsTheOpenDialogDoes() {
        Viewer v;
        const QStringList samples = v.fake.copySamples({"static.gif", "photo.jpg"});
        const QString before = QDir::currentPath();
        QDir::setCurrent(v.fake.folder.path()); // a relative name counts from the current folder
        const QString empty = v.fake.folder.path() + "/no pictures";
        QDir().mkdir(empty);
        v.commands.filesGiven(v.w(), {samples[0], "photo.jpg", "missing.bmp", empty});
        QDir::setCurrent(before);
        QCOMPARE(v.state.PictureCount, 2);
        QCOMPARE(v.state.PictureList(1), samples[0]);
        QCOMPARE(v.state.PictureList(2), samples[1]);
        QCOMPARE(v.shownName(), QString("static.gif"));
        QCOMPARE(v.fake.messages.shown.size(), 1); // one message names both refused
        QVERIFY(v.fake.messages.shown.first().second.contains(v.fake.file("missing.bmp")));
        QVERIFY(v.fake.messages.shown.first().second.contains(empty));

        v.commands.filesGiven(v.w(), {"missing.bmp"}); // none left: the list stays
        QCOMPARE(v.state.PictureCount, 2);
        QCOMPARE(v.fake.messages.shown.size(), 2);

        QMimeData dropped; // dropped on the window: the same, in the order given
        dropped.setUrls({QUrl::fromLocalFile(samples[1]), QUrl::fromLocalFile(samples[0])});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &dropped, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(&v.w(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&v.w(), &drop);
        QCOMPARE(v.state.PictureList(1), samples[0]); // not inside the drop: the source waits
        QTRY_COMPARE(v.state.PictureList(1), samples[1]);
        QCOMPARE(v.shownName(), QString("photo.jpg"));
    }

    void theWheelScrollsAndZoomsThePicture() {
        Viewer v;
        v.open({"photo.jpg"});
        for (int i = 0; i < 7; ++i)
            v.w().ZoomIn->trigger(); // 880 x 660: both bars
        QScrollBar* down = v.w().VScroll1;
        QScrollBar* across = v.w().HScroll1;
        const auto wheel = [&](QPoint angle, Qt::KeyboardModifiers keys) {
            QWheelEvent event(QPointF(20, 20), QPointF(20, 20), QPoint(), angle, Qt::NoButton, keys,
                              Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(v.w().imgTwo, &event);
        };
        const int lines = QApplication::wheelScrollLines();
        wheel({0, -120}, Qt::NoModifier); // one notch down
        QCOMPARE(down->value(), lines * down->singleStep());
        QCOMPARE(v.w().imgOne->y(), -qRound(down->value() / 15.0));
        wheel({0, -120}, Qt::ShiftModifier); // sideways
        QCOMPARE(across->value(), lines * across->singleStep());
        for (int i = 0; i < 4; ++i)
            wheel({0, 30}, Qt::NoModifier); // a touchpad's small steps add up to a notch
        QCOMPARE(down->value(), 0);
        wheel({0, 120}, Qt::ControlModifier);
        QCOMPARE(v.state.ZoomFactor, 2.75f); // already the largest
        wheel({0, -120}, Qt::ControlModifier);
        QCOMPARE(v.state.ZoomFactor, 2.5f);
    }

    // A touchpad: two fingers move the picture with them pixel for pixel; a pinch zooms a step
    // for each fifth the fingers spread or close, and smaller moves add up.
    void aTouchpadScrollsSmoothlyAndPinchesToZoom() {
        Viewer v;
        v.open({"photo.jpg"});
        for (int i = 0; i < 7; ++i)
            v.w().ZoomIn->trigger(); // 880 x 660: both bars
        QScrollBar* down = v.w().VScroll1;
        QWheelEvent fingers(QPointF(20, 20), QPointF(20, 20), QPoint(0, -7), QPoint(0, -14),
                            Qt::NoButton, Qt::NoModifier, Qt::ScrollUpdate, false);
        QCoreApplication::sendEvent(v.w().imgTwo, &fingers);
        QCOMPARE(down->value(), 7 * 15); // seven pixels, in twips
        const auto pinch = [&](double value) {
            QNativeGestureEvent event(Qt::ZoomNativeGesture,
                                      QPointingDevice::primaryPointingDevice(), 2, QPointF(30, 30),
                                      QPointF(30, 30), QPointF(30, 30), value, QPointF());
            QCoreApplication::sendEvent(v.w().imgTwo, &event);
        };
        pinch(-0.1);
        QCOMPARE(v.state.ZoomFactor, 2.75f);
        pinch(-0.15); // a fifth in all, and some over
        QCOMPARE(v.state.ZoomFactor, 2.5f);
        pinch(0.45);
        QCOMPARE(v.state.ZoomFactor, 2.75f); // two steps asked; the largest reached
    }

    // Told to end (a session's logout), the window closes as its close box closes it.
    void aTerminationSignalClosesTheWindowAndKeepsTheSettings() {
        Viewer v;
        v.open({"photo.jpg"});
        closeOnTermination(&v.w());
        ::raise(SIGTERM);
        QTRY_VERIFY(!v.w().isVisible());
        QCOMPARE(v.fake.read("viewer.ini").count('\n'), 11);
    }

    // A logout's TERM with a box or dialog open answers it as cancelled and closes the window;
    // one opened after that (a command carrying on to its next box) is answered at once.
    void aTerminationClosesEveryBoxAndDialogAsCancelled_data() {
        QTest::addColumn<std::function<bool(frmShowTell&)>>("cancelled");
        using Open = std::function<bool(frmShowTell&)>;
        QTest::newRow("message box") << Open([](frmShowTell& w) {
            QtMessages box;
            box.setOwner(&w);
            box.message(QStringLiteral("Invalid Picture"),
                        QStringLiteral("Invalid Picture Format"));
            return true;
        });
        QTest::newRow("Open") << Open([](frmShowTell& w) {
            QtDialogs dialogs;
            dialogs.setOwner(&w);
            return dialogs.openFiles(QStringLiteral("All Files|*.*")).result ==
                   DialogResult::Cancelled;
        });
        QTest::newRow("Save As") << Open([](frmShowTell& w) {
            QtDialogs dialogs;
            dialogs.setOwner(&w);
            return dialogs.saveFile(QStringLiteral("Bitmap|*.bmp")).result ==
                   DialogResult::Cancelled;
        });
        QTest::newRow("Color") << Open([](frmShowTell& w) {
            QtDialogs dialogs;
            dialogs.setOwner(&w);
            return dialogs.chooseColor().result == DialogResult::Cancelled;
        });
        QTest::newRow("slide show Options") << Open([](frmShowTell& w) {
            frmOptions options(w);
            return options.exec() == QDialog::Rejected;
        });
    }
    void aTerminationClosesEveryBoxAndDialogAsCancelled() {
        QFETCH(std::function<bool(frmShowTell&)>, cancelled);
        Viewer v;
        v.open({"photo.jpg"});
        closeOnTermination(&v.w());
        QObject life;
        onNextDialog(&life, [](QWidget*) { ::raise(SIGTERM); });
        QVERIFY(cancelled(v.w()));
        QTRY_VERIFY(!v.w().isVisible());
        QCOMPARE(v.fake.read("viewer.ini").count('\n'), 11);

        bool leftOpen = false; // a box that did not close at once is closed here, and fails
        QTimer::singleShot(5000, &life, [&leftOpen] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                leftOpen = true;
                box->hide();
            }
        });
        QVERIFY(cancelled(v.w()));
        QVERIFY(!leftOpen);
    }

    // A dragged picture follows the pointer; Ctrl+wheel keeps the point under it where it is.
    void aDragPansAndCtrlWheelZoomsAboutThePointer() {
        Viewer v;
        v.open({"photo.jpg"});
        for (int i = 0; i < 4; ++i)
            v.w().ZoomIn->trigger(); // 2.0: 640 x 480, both bars
        QWidget* surface = v.w().imgOne;
        QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(100, 100));
        QTest::mouseMove(surface, QPoint(60, 70));
        QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(60, 70));
        QCOMPARE(v.w().HScroll1->value(), 40 * 15);
        QCOMPARE(v.w().VScroll1->value(), 30 * 15);
        QCOMPARE(surface->pos(), QPoint(-40, -30));

        const QPointF pointer(200, 150); // over picture point (120, 90)
        QWheelEvent wheel(pointer, surface->mapToGlobal(pointer), QPoint(), {0, 120}, Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(v.w().imgTwo, &wheel);
        QCOMPARE(v.state.ZoomFactor, 2.25f);
        const QPointF under = (pointer - QPointF(surface->pos())) / 2.25;
        QVERIFY2(qAbs(under.x() - 120) < 0.5 && qAbs(under.y() - 90) < 0.5,
                 qPrintable(QString("%1, %2").arg(under.x()).arg(under.y())));
    }

    void theClockButtonFollowsTheTimer() {
        Viewer v;
        v.open({"photo.jpg", "static.gif"});
        v.w().Toolbar1->click(ClockTimerButton);
        QVERIFY(v.w().Toolbar1->isPressed(ClockTimerButton));
        v.w().CloseFile->trigger(); // the reset turns the timer off
        QVERIFY(!v.w().Toolbar1->isPressed(ClockTimerButton));
    }
};

TOVIK_REGISTER_TEST(TestCommands)
#include "test_commands.moc"
