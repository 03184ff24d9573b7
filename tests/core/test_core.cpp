// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "core/dialogtext.h"
#include "core/folderlist.h"
#include "core/layout.h"
#include "core/navigation.h"
#include "core/placement.h"
#include "core/rounding.h"
#include "core/settingsformat.h"
#include "core/sheetlayout.h"
#include "core/shuffle.h"
#include "core/sortorder.h"
#include "core/zoomsteps.h"

#include "support/testmain.h"

#include <QDir>
#include <QTest>

#include <algorithm>
#include <numeric>
#include <random>

using namespace tovik;

class TestCore : public QObject {
    Q_OBJECT
private slots:
    // Every entry once a lap, the one shown last never first, whatever the random numbers.
    void aShuffledLapShowsEachPictureOnce() {
        std::mt19937 engine(7);
        const auto random = [&](quint32 n) { return quint32(engine() % n); };
        const auto firstIsLast = [](quint32 n) { return n - 1; }; // sends the last swap last
        for (qint32 count : {1, 2, 3, 10}) {
            for (qint32 last = 1; last <= count; ++last)
                for (const auto& numbers : {std::function<quint32(quint32)>(random),
                                            std::function<quint32(quint32)>(firstIsLast)}) {
                    std::vector<qint32> lap = shuffledLap(count, last, numbers);
                    QVERIFY(count == 1 || lap.front() != last);
                    std::sort(lap.begin(), lap.end());
                    std::vector<qint32> all(static_cast<size_t>(count));
                    std::iota(all.begin(), all.end(), 1);
                    QCOMPARE(lap, all);
                }
        }
        QVERIFY(shuffledLap(0, 0, random).empty());
    }

    // Each order against files whose names disagree with it; ties fall back to natural name
    // order, and Reverse turns the whole list, ties included.
    void sortOrdersDisagreeWithNames_data() {
        QTest::addColumn<QByteArray>("order");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("name") << QByteArray("name")
                              << QStringList{"/p/a2.jpg", "/p/a10.png", "/p/b1.JPG", "/p/c.gif"};
        QTest::newRow("taken, else modified")
            << QByteArray("taken")
            << QStringList{"/p/a10.png", "/p/b1.JPG", "/p/c.gif", "/p/a2.jpg"};
        QTest::newRow("modified") << QByteArray("modified")
                                  << QStringList{"/p/c.gif", "/p/a10.png", "/p/a2.jpg",
                                                 "/p/b1.JPG"};
        QTest::newRow("size, ties by name")
            << QByteArray("size")
            << QStringList{"/p/a2.jpg", "/p/b1.JPG", "/p/a10.png", "/p/c.gif"};
        QTest::newRow("type") << QByteArray("type")
                              << QStringList{"/p/c.gif", "/p/a2.jpg", "/p/b1.JPG", "/p/a10.png"};
        QTest::newRow("size reversed")
            << QByteArray("size reverse")
            << QStringList{"/p/c.gif", "/p/a10.png", "/p/b1.JPG", "/p/a2.jpg"};
    }
    void sortOrdersDisagreeWithNames() {
        QFETCH(QByteArray, order);
        QFETCH(QStringList, expected);
        const QMap<QString, FileFacts> facts = {{"/p/a2.jpg", {3000, 500, 10}},
                                                {"/p/a10.png", {-1, 400, 30}},
                                                {"/p/b1.JPG", {1000, 600, 10}},
                                                {"/p/c.gif", {2000, 100, 40}}};
        const std::optional<SortOrder> parsed = parseSortOrder(order);
        QVERIFY(parsed);
        QCOMPARE(sortOrderText(*parsed), order);
        const QStringList shuffled{"/p/c.gif", "/p/b1.JPG", "/p/a10.png", "/p/a2.jpg"};
        QCOMPARE(sortedPaths(shuffled, *parsed, [&](const QString& p) { return facts.value(p); }),
                 expected);
        for (const char* bad : {"", "date", "name backwards", "size reverse reverse"})
            QVERIFY(!parseSortOrder(bad));
    }

    void folderPicturesComeInNaturalOrder() {
        QCOMPARE(
            picturesAmong({"photo10.jpg", "notes.txt", "photo2.JPG", "IMG_0009.png", "IMG_10.png",
                           "photo.jpg", "Photo1.gif", "b.tif", "A.webp", "x.jpg.part"}),
            (QStringList{"A.webp", "b.tif", "IMG_0009.png", "IMG_10.png", "photo.jpg", "Photo1.gif",
                         "photo2.JPG", "photo10.jpg"}));
        // Every listed kind, in any case, and nothing that only contains an extension.
        QStringList names{".jpg", "jpg", "a.jpgx", "a.jpg.", "a.tar.GZ", "a.heic.txt"};
        for (const QString& pattern : PicturePatterns.split(';'))
            names << "a" + pattern.mid(1).toUpper() << "b" + pattern.mid(1);
        const QStringList found = picturesAmong(names);
        for (const QString& name : names)
            QCOMPARE(found.contains(name), QDir::match(PicturePatterns.split(';'), name));
        QCOMPARE(naturalCompare(u"x01", u"x1"), 0);
        QVERIFY(naturalCompare(u"abc", u"abcd") < 0);
        QVERIFY(naturalCompare(u"99999999999999999999", u"100000000000000000000") < 0);
    }

    void roundingHalvesGoToEven() {
        QCOMPARE(roundHalfEven(2.5), 2.0);
        QCOMPARE(roundHalfEven(3.5), 4.0);
        QCOMPARE(roundHalfEven(-2.5), -2.0);
        QCOMPARE(roundHalfEven(2.6), 3.0);
        QCOMPARE(toInteger(32767.4), std::optional<qint16>(32767));
        QCOMPARE(toInteger(32767.5), std::nullopt); // rounds to 32768: out of range
        QCOMPARE(toLong(-2147483648.0), std::optional<qint32>(-2147483647 - 1));
        QCOMPARE(toLong(2147483648.0), std::nullopt);
        QCOMPARE(roundToLong(1e300), qint32(2147483647));
        QCOMPARE(twipsPerPixel(96), 15.0);
        QCOMPARE(twipsToPixels(5160, 15), 344);
    }

    void parsesSettings_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("valid");
        const QByteArray good =
            "5\r\n0\r\n16777215\r\n640\r\n0.15\r\n80\r\n1000\r\n2000\r\n6000\r\n"
            "4500\r\n0\r\n";
        QTest::newRow("eleven CR LF lines") << good << true;
        QTest::newRow("commas on one line")
            << QByteArray("5,0,16777215,640,.15,80,1000,2000,6000,4500,0") << true;
        QTest::newRow("leading blanks, LF only")
            << QByteArray("  5\n 0\n16777215\n640\n .15\n80\n1000\n2000\n6000\n4500\n0\n") << true;
        QTest::newRow("six lines")
            << QByteArray("5\r\n0\r\n16777215\r\n640\r\n0.15\r\n80\r\n") << false;
        QTest::newRow("width above Integer") << QByteArray(good).replace("640", "32768") << false;
        QTest::newRow("quality above Integer") << QByteArray(good).replace("80", "32768") << false;
        QTest::newRow("blank lines between values")
            << QByteArray(good).replace("\r\n0\r\n", "\r\n\r\n  \r\n0\r\n") << true;
        QTest::newRow("ten values and blank lines")
            << QByteArray("5\r\n0\r\n16777215\r\n640\r\n0.15\r\n80\r\n1000\r\n2000\r\n6000\r\n"
                          "4500\r\n\r\n\r\n")
            << false;
        QTest::newRow("word instead of number")
            << QByteArray(good).replace("80", "eighty") << false;
        QTest::newRow("empty field between commas")
            << QByteArray("5,,0,16777215,640,.15,80,1000,2000,6000,4500,0") << false;
        QTest::newRow("binary garbage") << QByteArray("\x00\xff\x13\x37\r\n\x01", 6) << false;
        QTest::newRow("empty file") << QByteArray() << false;
        QTest::newRow("interval above Long")
            << QByteArray(good).replace("5\r\n0\r\n1", "2147483648\r\n0\r\n1") << false;
    }
    void parsesSettings() {
        QFETCH(QByteArray, text);
        QFETCH(bool, valid);
        const auto v = parseSettings(text);
        QCOMPARE(v.has_value(), valid);
        if (!valid)
            return;
        QCOMPARE(v->SlideInterval, 5);
        QCOMPARE(v->ThumbTextColor, 0);
        QCOMPARE(v->ThumbBackColor, 16777215);
        QCOMPARE(v->ThumbPageWidth, qint16(640));
        QCOMPARE(v->ThumbScale, 0.15f);
        QCOMPARE(v->JPGQuality, qint16(80));
        QCOMPARE(v->SavedHeight, 4500.0f);
    }

    void formatsPlainDecimalWithCrLf() {
        SettingsValues v{5, 255, 16777215, 640, 0.15f, 80, -60, 1200.5f, 6000, 4500, 2};
        const QByteArray text = formatSettings(v);
        QCOMPARE(text, QByteArray("5\r\n255\r\n16777215\r\n640\r\n0.15\r\n80\r\n-60\r\n1200.5\r\n"
                                  "6000\r\n4500\r\n2\r\n"));
        QCOMPARE(parseSettings(text), std::optional<SettingsValues>(v)); // round trip
        QCOMPARE(formatSingle(1e20f).contains('e'), false);              // never scientific
    }

    void placesWindowByState() {
        ScreenGeometry screen;
        screen.primary = {0, 0, 1280 * 15, 1024 * 15};
        screen.screens = {screen.primary};
        const TwipRect centred{(1280 - 400) / 2 * 15.0, (1024 - 300) / 2 * 15.0, 6000, 4500};
        const TwipRect saved{1500, 1500, 9000, 6000};
        using Kind = PlacementDecision::Kind;
        QCOMPARE(decidePlacement(2, saved, screen).kind, Kind::Maximize);
        QCOMPARE(decidePlacement(1, saved, screen).rect, centred); // never starts minimized
        QCOMPARE(decidePlacement(0, saved, screen).rect, saved);
        QCOMPARE(decidePlacement(7, saved, screen).kind, Kind::Keep);
        QCOMPARE(decidePlacement(0, {1500, 1500, 0, 6000}, screen).rect, centred);
        QCOMPARE(decidePlacement(0, {1500, 1500, 9000, -1}, screen).rect, centred);
        QCOMPARE(decidePlacement(0, {-20000, 1500, 9000, 6000}, screen).rect, centred);
        QCOMPARE(decidePlacement(0, {-8000, 1500, 9000, 6000}, screen).rect,
                 TwipRect({-8000, 1500, 9000, 6000}));     // partly on screen: kept
        screen.available = {{0, 0, 1280 * 15, 1000 * 15}}; // a panel takes 24 pixels
        QCOMPARE(decidePlacement(0, {0, 0, 1280 * 15, 1000 * 15}, screen).rect,
                 TwipRect({0, 0, 1280 * 15, 1000 * 15}));
        QCOMPARE(decidePlacement(0, {0, 0, 1000000, 1000000}, screen).rect, centred);
        QCOMPARE(decidePlacement(0, {0, 0, 1280 * 15, 1001 * 15}, screen).rect, centred);
        const TwipRect bars{0, 0, 150 * 15, 80 * 15}; // what menu, toolbar and status bar need
        QCOMPARE(decidePlacement(0, {1500, 1500, 15, 15}, screen, bars).rect, centred);
        QCOMPARE(decidePlacement(0, {1500, 1500, 150 * 15, 79 * 15}, screen, bars).rect, centred);
        QCOMPARE(decidePlacement(0, {1500, 1500, 150 * 15, 80 * 15}, screen, bars).rect,
                 TwipRect({1500, 1500, 150 * 15, 80 * 15}));
        const TwipRect defaults = defaultSettingsRect(screen, 5400, 4000);
        QCOMPARE(defaults, TwipRect({(19200 - 5400) / 2.0, (15360 - 4000) / 2.0, 6000, 4500}));
    }

    void laysOutViewportAndScrollBars() {
        const ClientFrame frame{9000, 6000, 450, 300, 255, 255};
        QCOMPARE(viewportRect(frame), std::optional<TwipRect>(TwipRect{0, 450, 8745, 4995}));
        QCOMPARE(viewportRect({9000, 900, 450, 300, 255, 255}), std::nullopt); // too small

        const ScrollSetup wide = rangeScrollBar(9000, 6000);
        QCOMPARE(wide.maximum, 3000);
        QCOMPARE(wide.largeStep, 300);
        QCOMPARE(wide.smallStep, 120);
        QVERIFY(wide.visible);
        const ScrollSetup small = rangeScrollBar(6025, 6000);
        QCOMPARE(small.largeStep, 2); // 2.5 rounds to even
        QCOMPARE(small.smallStep, 1);
        QCOMPARE(rangeScrollBar(6005, 6000).largeStep, 1); // never a step of 0
        QVERIFY(!rangeScrollBar(6000, 6000).visible);      // exactly fits: no bar
        QVERIFY(rangeScrollBar(6001, 6000).visible);
        const ScrollSetup fits = rangeScrollBar(3000, 6000);
        QCOMPARE(fits.maximum, -3000);
        QVERIFY(!fits.visible);
        QCOMPARE(rangeScrollBar(60000.0 * 15, 600).maximum, 899400); // beyond 16 bits
    }

    void navigatesByIndexRules_data() {
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("direction");
        QTest::addColumn<int>("shown");
        QTest::addColumn<bool>("back");
        QTest::addColumn<bool>("forward");
        QTest::newRow("first after open") << 1 << 3 << 0 << 1 << false << true;
        QTest::newRow("forward to second") << 2 << 3 << 1 << 2 << true << true;
        QTest::newRow("forward past the end") << 4 << 3 << 1 << 3 << true << false;
        QTest::newRow("back from second") << 3 << 3 << -1 << 1 << false << true;
        QTest::newRow("back on the first") << 2 << 3 << -1 << 1 << false << true;
        QTest::newRow("marker, back") << 103 << 3 << -1 << 2 << true << true;
        QTest::newRow("marker, forward") << 103 << 3 << 1 << 3 << true << false;
        QTest::newRow("marker, direction 7 is forward") << 103 << 3 << 7 << 3 << true << false;
        QTest::newRow("one picture") << 2 << 1 << 1 << 1 << false << false;
    }
    void navigatesByIndexRules() {
        QFETCH(int, current);
        QFETCH(int, count);
        QFETCH(int, direction);
        QFETCH(int, shown);
        QFETCH(bool, back);
        QFETCH(bool, forward);
        const auto step = navigationStep(current, count, direction);
        QVERIFY(step);
        QCOMPARE(step->index, shown);
        QCOMPARE(step->back, back);
        QCOMPARE(step->forward, forward);
        QCOMPARE(navigationStep(1, 0, 1), std::nullopt);
        QVERIFY(navigationStep(2147483647, 2147483600, -1)); // no overflow near the top
    }

    void zoomClampsAfterTheStep() {
        QCOMPARE(zoomedIn(2.5f), 2.75f);
        QCOMPARE(zoomedIn(2.75f), 2.75f);
        QCOMPARE(zoomedOut(0.25f), 0.25f);
        QCOMPARE(zoomedOut(1.0f), 0.75f);
        // From a factor fitted to the window, to the steps on either side of it.
        QCOMPARE(zoomedIn(0.6f), 0.75f);
        QCOMPARE(zoomedOut(0.6f), 0.5f);
        QCOMPARE(zoomedIn(0.17f), 0.25f);
        QCOMPARE(zoomedOut(0.17f), 0.25f);
    }

    void fitShowsThePictureWholeAndNeverEnlargesIt_data() {
        QTest::addColumn<QSizeF>("picture");
        QTest::addColumn<float>("factor");
        QTest::newRow("wide") << QSizeF(2000, 500) << 0.5f;  // by its width
        QTest::newRow("tall") << QSizeF(500, 3000) << 0.25f; // by its height
        QTest::newRow("small") << QSizeF(300, 200) << 1.0f;  // never above 1
        QTest::newRow("huge") << QSizeF(5640, 3172) << 1000.0f / 5640;
    }
    void fitShowsThePictureWholeAndNeverEnlargesIt() {
        QFETCH(QSizeF, picture);
        QFETCH(float, factor);
        const float fit = fitFactor(picture.width(), picture.height(), 1000, 750);
        QCOMPARE(fit, factor);
        QVERIFY(picture.width() * fit <= 1000.0001 && picture.height() * fit <= 750.0001);
    }

    void splitsTheOpenAnswer() {
        const QChar nul(0);
        QCOMPARE(splitSelectedFiles("D:\\pics\\a.jpg", '\\'), QStringList{"D:\\pics\\a.jpg"});
        QCOMPARE(splitSelectedFiles(
                     QString("D:\\pics") + nul + "a.jpg" + nul + "b.gif" + nul + "c.bmp", '\\'),
                 (QStringList{"D:\\pics\\a.jpg", "D:\\pics\\b.gif", "D:\\pics\\c.bmp"}));
        QCOMPARE(
            splitSelectedFiles(QString("D:\\") + nul + "a.jpg" + nul + "b.gif", '\\').first(),
            QString("D:\\\\a.jpg")); // exactly one separator added, whatever the folder ends with
        QCOMPARE(splitSelectedFiles(QString(), '/'), QStringList{QString()});
        QCOMPARE(selectedFilesText({"/p/b.gif", "/p/a.jpg"}),
                 QString("/p") + nul + "b.gif" + nul + "a.jpg"); // the dialog's order
        const QStringList twoFolders{"/p/photo.jpg", "/p/q/other/a pic.bmp", "/p/r/c.gif"};
        QCOMPARE(selectedFilesText(twoFolders),
                 QString("/p") + nul + "photo.jpg" + nul + "q/other/a pic.bmp" + nul + "r/c.gif");
        QCOMPARE(splitSelectedFiles(selectedFilesText(twoFolders), '/'), twoFolders);
        const QStringList fromRoot{"/a.jpg", "/home/b.gif"};
        QCOMPARE(splitSelectedFiles(selectedFilesText(fromRoot), '/'), fromRoot);
        QCOMPARE(qtNameFilters("All Graphics |*.jpg;*.gif|All Files (*.*)|*.*"),
                 (QStringList{"All Graphics (*.jpg *.JPG *.gif *.GIF)", "All Files (*)"}));
    }

    void laysOutTheSheetAsWorkedOut() {
        // Three 300 x 200 pictures at 50 % on 640 pixels, names 60 x 12 pixels.
        const SheetEntry photo{4500, 3000, 900, 180};
        const auto three = layoutSheet({photo, photo, photo}, 0.5f, 640, 15, 15);
        QList<double> xs;
        for (const SheetPlacement& p : three.placements)
            xs << p.x / 15;
        QCOMPARE(xs, (QList<double>{20, 190, 360}));
        QCOMPARE(three.placements[2].y, 300.0);
        QCOMPARE(three.placements[0].textX, 300 + (2250 - 900) / 2.0);
        QCOMPARE(three.placements[0].textY, 300.0 + 1500);
        QCOMPARE(three.width, 640 * 15.0);
        QCOMPARE(three.height, (20 + 100 + 12 + 30) * 15.0);
        QVERIFY(!three.tooLong);

        const auto four = layoutSheet({photo, photo, photo, photo}, 0.5f, 640, 15, 15);
        QCOMPARE(four.placements[3].x, 300.0); // 530 + 150 >= 630: a new row
        QCOMPARE(four.placements[3].y, (20 + 100 + 12 + 20) * 15.0);

        // The picture fits before the edge but its 450-pixel name would not: a new row.
        const SheetEntry longName{600, 3000, 450 * 15, 180};
        const auto byName = layoutSheet({photo, longName}, 0.5f, 640, 15, 15);
        QCOMPARE(byName.placements[1].y, (20 + 100 + 12 + 20) * 15.0);

        const SheetEntry wide{9300 * 2, 3000, 900, 180}; // 620 pixels at 50 %
        const auto first = layoutSheet({wide}, 0.5f, 640, 15, 15);
        QCOMPARE(first.placements[0].y, 40 * 15.0); // the first row 40 pixels down
        QVERIFY(!first.placements[0].widenedForPicture);
    }

    void widensAndPushesNamesRight() {
        const SheetEntry longName{1500, 3000, 3000, 180}; // 100 px picture, 200 px name
        const auto pushed = layoutSheet({longName}, 1.0f, 640, 15, 15);
        QCOMPARE(pushed.placements[0].x, 70 * 15.0); // until the name starts at 0, then 20 more
        QCOMPARE(pushed.placements[0].textX, 20 * 15.0);

        const SheetEntry huge{700 * 15, 1500, 900, 180};
        const auto widened = layoutSheet({huge}, 1.0f, 640, 15, 15);
        QVERIFY(widened.placements[0].widenedForPicture);
        QCOMPARE(widened.width, 740 * 15.0);
        const SheetEntry wideName{1500, 1500, 700 * 15, 180};
        const auto forName = layoutSheet({wideName}, 1.0f, 640, 15, 15);
        QVERIFY(forName.placements[0].widenedForName);
        QCOMPARE(forName.width, 740 * 15.0);
    }

    void haltsAboveTwoThousandPixels() {
        // 20 px top + picture + 12 px name + 30 px bottom = exactly 2000 px.
        const double picture = (2000 - 20 - 12 - 30) * 15.0;
        QVERIFY(!layoutSheet({{1500, picture, 900, 180}}, 1.0f, 640, 15, 15).tooLong);
        QVERIFY(layoutSheet({{1500, picture + 1, 900, 180}}, 1.0f, 640, 15, 15).tooLong);
        QCOMPARE(progressStep(3), 33);
        QCOMPARE(progressStep(40), 2); // 2.5 rounds to even
        QCOMPARE(progressStep(200), 0);
    }
};

TOVIK_REGISTER_TEST(TestCore)
#include "test_core.moc"
