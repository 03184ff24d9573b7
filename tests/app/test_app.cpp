// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "app/artwork.h"
#include "app/frmshowtell.h"
#include "commands/dispatcher.h"
#include "help/frmabout.h"
#include "platform/qtmessages.h"
#include "saving/frmslider.h"
#include "support/fakes.h"
#include "support/filesizelimit.h"
#include "support/testmain.h"
#include "support/viewer.h"
#include "thumbnails/frmthumboption.h"
#include "viewing/frmoptions.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeDatabase>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <csignal>
#include <memory>
#include <vector>

using namespace tovik;
using namespace tovik::test;

namespace {
constexpr int AllButtons[] = {1, 2, 4, 5, 7, 8, 10, 11, 12, 14};

// Whether the label shows all of its text, in the font it has once it is on screen.
bool showsWholeText(const QLabel* label) {
    if (label->wordWrap())
        return label->heightForWidth(label->width()) <= label->height();
    const QSize wanted = label->sizeHint();
    return wanted.width() <= label->width() && wanted.height() <= label->height();
}
} // namespace

class TestApp : public QObject {
    Q_OBJECT
private slots:
    void startsWithOnlyOpenEnabled() {
        FakePlatform fake;
        ViewerState state;
        Dispatcher commands;
        frmShowTell window(fake.platform, state, commands);
        QCOMPARE(window.windowTitle(), QString("Tovik Viewer"));
        for (int index : AllButtons)
            QCOMPARE(window.Toolbar1->isEnabled(index), index == 1);
        QCOMPARE(window.Toolbar1->key(14), QString("Thumbnail"));
        QCOMPARE(window.Toolbar1->button(14)->toolTip(), QString("Generate Thumbnails"));
        QVERIFY(window.Toolbar1->button(3)->isSeparator());
        QVERIFY(!window.Timer1.isEnabled());
        QCOMPARE(state.ZoomFactor, 1.0f);
        QCOMPARE(window.helpFile(), fake.file("viewer.html"));

        emit window.File->aboutToShow();
        emit window.view->aboutToShow();
        emit window.Tools->aboutToShow();
        for (QAction* off : {window.SaveAs, window.CloseFile, window.OriginalSize, window.ZoomIn,
                             window.ZoomOut, window.Thumbnail})
            QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
        for (QAction* on : {window.Open, window.Exit, window.Option, window.Contents, window.About})
            QVERIFY2(on->isEnabled(), qPrintable(on->objectName()));
    }

    void firstStartWritesDefaultsAndOpens400By300() {
        FakePlatform fake;
        ViewerState state;
        Dispatcher commands;
        frmShowTell window(fake.platform, state, commands);
        QCOMPARE(window.frameGeometry().size(), QSize(400, 300));
        // Centred as a window of the initial size would be: 344 x 243 pixels inside the frame.
        QCOMPARE(window.pos().x(), (1280 - 344) / 2);
        QCOMPARE(fake.read("viewer.ini").count("\r\n"), 11);
    }

    void restartKeepsTheWindowWhereAndAsLargeAsItWas() {
        FakePlatform fake;
        QRect frames[2];
        for (QRect& frame : frames) {
            ViewerState state;
            Dispatcher commands;
            frmShowTell window(fake.platform, state, commands);
            window.show(); // framed now: the saved size counts the frame in
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            frame = window.frameGeometry();
            window.close();
        }
        QCOMPARE(frames[0].size(), QSize(400, 300));
        QCOMPARE(frames[1], frames[0]);
    }

    void placesWindowFromSavedState_data() {
        QTest::addColumn<QByteArray>("placement");
        QTest::addColumn<QRect>("expected");
        QTest::addColumn<bool>("maximized");
        QTest::newRow("normal") << QByteArray("1500,3000,9000,7500,0") << QRect(100, 200, 600, 500)
                                << false;
        QTest::newRow("minimized")
            << QByteArray("1500,3000,9000,7500,1") << QRect(440, 362, 400, 300) << false;
        QTest::newRow("maximized") << QByteArray("1500,3000,9000,7500,2") << QRect() << true;
        QTest::newRow("zero width")
            << QByteArray("1500,3000,0,7500,0") << QRect(440, 362, 400, 300) << false;
        QTest::newRow("off every screen")
            << QByteArray("-90000,3000,9000,7500,0") << QRect(440, 362, 400, 300) << false;
        QTest::newRow("larger than the screen")
            << QByteArray("0,0,1000000,1000000,0") << QRect(440, 362, 400, 300) << false;
        QTest::newRow("one pixel")
            << QByteArray("1500,3000,15,15,0") << QRect(440, 362, 400, 300) << false;
    }
    void placesWindowFromSavedState() {
        QFETCH(QByteArray, placement);
        QFETCH(QRect, expected);
        QFETCH(bool, maximized);
        FakePlatform fake;
        fake.write("viewer.ini", "5,0,16777215,640,.15,80," + placement);
        ViewerState state;
        Dispatcher commands;
        frmShowTell window(fake.platform, state, commands);
        QCOMPARE(window.windowState().testFlag(Qt::WindowMaximized), maximized);
        if (!maximized)
            QCOMPARE(window.frameGeometry(), expected);
    }

    void restoringAfterAMaximizedStartGivesTheInitialSize() {
        FakePlatform fake;
        fake.write("viewer.ini", "5,0,16777215,640,.15,80,1500,3000,9000,7500,2");
        ViewerState state;
        Dispatcher commands;
        frmShowTell window(fake.platform, state, commands);
        const QSize initial = window.size();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // A window manager that mapped the window maximized may restore it to that size.
        window.setWindowState(Qt::WindowNoState);
        window.resize(1280, 979);
        QTRY_COMPARE(window.size(), initial);
        QCOMPARE(initial.width(), 344);
    }

    void resizeLaysOutViewportInTwips() {
        FakePlatform fake;
        ViewerState state;
        Dispatcher commands;
        frmShowTell window(fake.platform, state, commands);
        window.show();
        window.resize(640, 480);
        QCoreApplication::processEvents();
        const ClientFrame f = window.clientFrame();
        QCOMPARE(window.imgTwo->x(), 0);
        QCOMPARE(window.imgTwo->y() * 15.0, f.toolbarHeight);
        QCOMPARE(window.imgTwo->width() * 15.0, f.clientWidth - f.vScrollWidth);
        QCOMPARE(window.imgTwo->height() * 15.0,
                 f.clientHeight - f.hScrollHeight - f.toolbarHeight - f.statusHeight);
        QVERIFY(window.SB1->geometry().bottom() == window.centralWidget()->height() - 1);
        QVERIFY(window.HScroll1->isHidden());
        QVERIFY(window.VScroll1->isHidden());

        const QRect before = window.imgTwo->geometry();
        window.resize(640, 30); // smaller than toolbar and status bar: parts stay, no error
        QCoreApplication::processEvents();
        QCOMPARE(window.imgTwo->geometry(), before);
    }

    void everyDialogShowsItsCaptionsWhole() {
        FakePlatform fake;
        ViewerState state;
        Dispatcher commands;
        frmShowTell window(fake.platform, state, commands);
        std::vector<std::unique_ptr<QDialog>> dialogs;
        dialogs.push_back(std::make_unique<frmOptions>(window));
        dialogs.push_back(std::make_unique<frmSlider>(window));
        dialogs.push_back(std::make_unique<frmThumbOption>(window));
        dialogs.push_back(std::make_unique<frmAbout>(window));
        for (const auto& d : dialogs) {
            d->show(); // styles and fonts settle when a window is first shown
            QVERIFY(QTest::qWaitForWindowExposed(d.get()));
            for (const QLabel* label : d->findChildren<QLabel*>())
                if (!label->text().isEmpty())
                    QVERIFY2(showsWholeText(label),
                             qPrintable(d->windowTitle() + ": " + label->text()));
        }
    }

    void messageBoxIsWideEnoughForItsTitle() {
        QtMessages messages;
        const QString title = QStringLiteral("Picture Too Large"); // a title longer than its text
        int width = 0;
        QObject handlerLife;
        onNextDialog(&handlerLife, [&](QWidget* box) {
            width = box->width();
            box->close();
        });
        messages.message(title, QStringLiteral("x"));
        const QFontMetrics font(QFontDatabase::systemFont(QFontDatabase::TitleFont));
        // The title bar holds the title and at least an icon and a close button beside it.
        QVERIFY(width > font.horizontalAdvance(title) + 2 * font.height());
    }

    void shutdownDeletesWorkFilesAndSavesLivePlacement() {
        FakePlatform fake;
        ViewerState state;
        QRect frame;
        {
            Dispatcher commands;
            frmShowTell window(fake.platform, state, commands);
            window.show();
            window.setGeometry(120, 90, 500, 400);
            fake.write("~temp.bmp", "x");
            fake.write("tempnail.bmp", "x");
            state.SlideInterval = 9;
            frame = window.frameGeometry();
            window.Exit->trigger();
            QVERIFY(!window.isVisible());
        }
        QVERIFY(!QFile::exists(fake.file("~temp.bmp")));
        QVERIFY(!QFile::exists(fake.file("tempnail.bmp")));
        const QList<QByteArray> lines = fake.read("viewer.ini").split('\n');
        QCOMPARE(lines.at(0), QByteArray("9\r"));
        QCOMPARE(lines.at(6), QByteArray::number(frame.x() * 15) + '\r');
        QCOMPARE(lines.at(9), QByteArray::number(frame.height() * 15) + '\r');
        QCOMPARE(lines.at(10), QByteArray("0\r"));
    }

    void filesLiveBesideABuildAndInTheUsersFoldersWhenInstalled() {
        QTemporaryDir root;
        const QString build = root.filePath("build"), bin = root.filePath("usr/bin");
        QDir().mkpath(build);
        QDir().mkpath(bin); // writable, as /usr/bin is to root
        QFile(build + "/viewer.html").open(QIODevice::WriteOnly);
        const UserFolders user{root.filePath("home/.config/tovik-viewer"),
                               root.filePath("home/.cache/tovik-viewer"),
                               root.filePath("home/.local/share/tovik-viewer")};
        const AppFolders beside = appFolders(build, user);
        QCOMPARE(beside.settings, build);
        QCOMPARE(beside.work, build);
        QCOMPARE(beside.help, build);
        QVERIFY(!QFileInfo::exists(user.config));

        QDir().mkpath(user.oldDataDir); // an earlier version's settings move once
        QFile old(user.oldDataDir + "/viewer.ini");
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("9,0,16777215,640,.15,80,0,0,6000,4500,0");
        old.close();
        const AppFolders installed = appFolders(bin, user);
        QCOMPARE(installed.settings, user.config);
        QCOMPARE(installed.work, user.cache);
        QCOMPARE(installed.help, root.filePath("usr/share/tovik-viewer"));
        QVERIFY(QFileInfo(user.cache).isDir());
        QVERIFY(!QFileInfo::exists(old.fileName()));
        QFile moved(user.config + "/viewer.ini");
        QVERIFY(moved.open(QIODevice::ReadOnly));
        QVERIFY(moved.readAll().startsWith("9,"));
        QCOMPARE(QDir(bin).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void qtsOwnTextsFollowTheLanguage() {
        QTranslator german;
        QVERIFY(installQtTranslations(german, QLocale(QLocale::German, QLocale::Germany)));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("Abbrechen"));
        QCoreApplication::removeTranslator(&german);
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("Cancel"));
    }

    void picturesOfEveryFormatQtReadsOpenThroughAllFiles_data() {
        QTest::addColumn<QByteArray>("format");
        for (const char* format : {"png", "svg", "webp", "tiff"})
            QTest::newRow(format) << QByteArray(format);
    }
    void picturesOfEveryFormatQtReadsOpenThroughAllFiles() {
        QFETCH(QByteArray, format);
        Viewer v;
        QImage picture(90, 60, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        QByteArray bytes;
        if (format == "svg") {
            bytes = "<svg xmlns='http://www.w3.org/2000/svg' width='90' height='60'>"
                    "<rect width='90' height='60' fill='green'/></svg>";
        } else {
            QBuffer buffer(&bytes);
            QVERIFY(buffer.open(QIODevice::WriteOnly));
            QVERIFY2(picture.save(&buffer, format.constData()), format.constData());
        }
        v.fake.write("picture." + QString(format), bytes);
        v.commands.filesGiven(v.w(), {v.fake.file("picture." + QString(format))});
        QVERIFY(v.fake.messages.shown.isEmpty());
        QCOMPARE(v.w().imgThree.picture.size(), QSize(90, 60));
    }

    void theScalableIconIsTheSameDrawing() {
        QSvgRenderer svg(applicationIconSvg());
        QVERIFY(svg.isValid());
        QImage drawn(64, 64, QImage::Format_ARGB32_Premultiplied);
        drawn.fill(Qt::transparent);
        QPainter painter(&drawn);
        svg.render(&painter);
        painter.end();
        const QImage pixels = applicationIconPixmap(64).toImage().convertToFormat(drawn.format());
        int differing = 0; // edges are smoothed in one and not the other
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                differing += qAbs(qGray(drawn.pixel(x, y)) - qGray(pixels.pixel(x, y))) > 40;
        QVERIFY2(differing < 64 * 64 / 10, qPrintable(QString::number(differing)));
    }

    // A file manager offers the program for exactly the types it opens.
    void theDesktopEntryListsTheTypesTheProgramOpens() {
        QFile entry(QStringLiteral(TOVIK_DESKTOP_FILE));
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QStringList listed;
        for (const QByteArray& line : entry.readAll().split('\n'))
            if (line.startsWith("MimeType="))
                listed = QString::fromUtf8(line.mid(9)).split(';', Qt::SkipEmptyParts);
        QStringList read;
        for (const QByteArray& type : QImageReader::supportedMimeTypes())
            read << QString::fromLatin1(type);
        for (const QString& type : read)
            QVERIFY2(listed.contains(type), qPrintable(type));
        const QMimeDatabase types;
        for (const QString& type : listed) // an alias of a type read, or cursors (icon reader)
            QVERIFY2(read.contains(type) || read.contains(types.mimeTypeForName(type).name()) ||
                         type == "image/x-win-bitmap",
                     qPrintable(type));
    }

    // The viewer itself links none of the decoding libraries: they run in the helpers only, so
    // they cost its start nothing and no file reaches them in its process.
    void theViewerLinksNoDecodingLibrary() {
        QProcess readelf;
        readelf.start("readelf", {"-d", TOVIK_VIEWER});
        QVERIFY(readelf.waitForFinished(30000));
        const QByteArray needed = readelf.readAllStandardOutput();
        QVERIFY(needed.contains("libQt6Widgets"));
        for (const char* library :
             {"libheif", "libjxl", "libraw", "libwmf", "libemf2svg", "libexiv2", "libseccomp"})
            QVERIFY2(!needed.contains(library), library);
    }

    // A logout's TERM ends the program whatever it shows: here the message that the file it was
    // started on is no picture. Sent once the program has its handler (the kernel says so), it
    // must end the process, with its settings written, rather than leave it waiting unseen.
    void aTerminationEndsTheProgramStartedOnANonPicture() {
        QTemporaryDir folder;
        const QString program = folder.filePath("tovik-viewer");
        QVERIFY(QFile::copy(TOVIK_VIEWER, program));
        QVERIFY(QFile::copy(TOVIK_HELPFILE, folder.filePath("viewer.html")));
        QVERIFY(QFile::copy(TOVIK_TESTDATA "/not_a_picture.jpg", folder.filePath("not.jpg")));
        QProcess viewer;
        viewer.start(program, {folder.filePath("not.jpg")});
        QVERIFY(viewer.waitForStarted());
        const auto catchesTerm = [pid = viewer.processId()] {
            QFile status(QStringLiteral("/proc/%1/status").arg(pid));
            if (!status.open(QIODevice::ReadOnly))
                return false;
            for (const QByteArray& line : status.readAll().split('\n'))
                if (line.startsWith("SigCgt:"))
                    return bool((line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) &
                                1);
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(catchesTerm(), 20000);
        ::kill(pid_t(viewer.processId()), SIGTERM);
        const bool ended = viewer.waitForFinished(10000);
        if (!ended) {
            viewer.kill();
            viewer.waitForFinished();
        }
        QVERIFY2(ended, "still running after a TERM");
        QCOMPARE(viewer.exitStatus(), QProcess::NormalExit);
        QFile settings(folder.filePath("viewer.ini"));
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QCOMPARE(settings.readAll().count('\n'), 11);
    }

    void fullDiskKeepsTheSettingsAtExitAndSaysSoInDialogs() {
        FakePlatform fake;
        ViewerState state;
        Dispatcher commands;
        frmShowTell window(fake.platform, state, commands);
        const QByteArray old = fake.read("viewer.ini");
        state.SlideInterval = 9;
        const FileSizeLimit full(10);
        frmOptions options(window);
        options.Text2->setText("9");
        options.Command1->click();
        QCOMPARE(fake.messages.shown.size(), 1);
        QCOMPARE(fake.messages.shown.first().first, QString("Settings"));
        QVERIFY(fake.messages.shown.first().second.contains(fake.file("viewer.ini")));
        window.close(); // no message at exit, and nothing lost
        QCOMPARE(fake.messages.shown.size(), 1);
        QCOMPARE(fake.read("viewer.ini"), old);
        QCOMPARE(fake.filesBut({"viewer.ini"}), QStringList());
    }
};

TOVIK_REGISTER_TEST(TestApp)
#include "test_app.moc"
