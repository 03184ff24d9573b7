// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/thumbcache/pngtext.h"
#include "imaging/thumbnailcache.h"
#include "settings/drives.h"
#include "support/modernfiles.h"
#include "support/testmain.h"
#include "support/viewer.h"

#include <QDateTime>
#include <QFile>
#include <QTest>

#include <unistd.h>

using namespace tovik;
using namespace tovik::test;

namespace {
QColor hueOf(int index) {
    return QColor::fromHsv((index * 67) % 360, 255, 220);
}

// A folder of photos, each of its own colour, written an hour ago.
struct Folder : Viewer {
    QStringList paths;
    explicit Folder(int count, QSize size = {64, 48}) {
        for (int i = 0; i < count; ++i) {
            QImage image(size, QImage::Format_RGB32);
            image.fill(hueOf(i));
            const QString name = QStringLiteral("p%1.jpg").arg(i, 3, 10, QLatin1Char('0'));
            fake.write(name, encoded(image, "jpg", 95));
            paths << fake.file(name);
            ageFile(paths.last());
        }
    }
    static void ageFile(const QString& path, int seconds = -3600) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(seconds),
                                 QFileDevice::FileModificationTime));
    }
    FolderStrip& strip() { return *w().Strip; }
    void showStrip() {
        QTest::keyClick(&w(), Qt::Key_F9, Qt::ControlModifier);
        QTRY_VERIFY(strip().inViewMade());
    }
    // The colour drawn in the middle of entry index's cell.
    QColor drawnAt(int index) {
        const QImage drawn = strip().grab().toImage();
        const int side = strip().height();
        return drawn.pixelColor(index * side + side / 2 - strip().firstInView() * side, side / 2);
    }
    QString cachedFor(const QString& path) const {
        return fake.platform.thumbnailFolder + QStringLiteral("/normal/") +
               ThumbnailCache::fileName(path);
    }
};

bool near(QColor a, QColor b) {
    return qAbs(a.red() - b.red()) < 12 && qAbs(a.green() - b.green()) < 12 &&
           qAbs(a.blue() - b.blue()) < 12;
}
} // namespace

class TestStrip : public QObject {
    Q_OBJECT
private slots:
    // Off at first; Ctrl+F9 shows it above the status bar, the picture's room shrinking by its
    // height, and the choice is there at the next start; full screen is the picture alone.
    void theStripIsOffAtFirstAndRemembered() {
        Folder v(2);
        v.commands.filesGiven(v.w(), {v.fake.folder.path()});
        QVERIFY(v.strip().isHidden());
        const int roomBefore = v.w().imgTwo->height();
        v.showStrip();
        QCOMPARE(v.w().imgTwo->height(), roomBefore - v.strip().height());
        QCOMPARE(v.strip().geometry().bottom() + 1, v.w().SB1->geometry().top());
        QVERIFY(ReadSwitch(v.fake.file(StripFileName)));
        QTest::keyClick(&v.w(), Qt::Key_F11);
        QVERIFY(v.strip().isHidden());
        QTest::keyClick(&v.w(), Qt::Key_Escape);
        QVERIFY(!v.strip().isHidden());

        v.window = std::make_unique<frmShowTell>(v.fake.platform, v.state, v.commands);
        QVERIFY(!v.strip().isHidden());
        v.w().view_Click();
        QVERIFY(v.w().ShowStrip->isChecked());
        v.w().ShowStrip->trigger();
        QVERIFY(v.strip().isHidden());
        QVERIFY(!ReadSwitch(v.fake.file(StripFileName)));
    }

    // The entry shown is marked wherever the user steps; a click on another shows it; each
    // thumbnail is drawn from the picture and kept in the desktop's shared cache.
    void theStripFollowsTheListAndAClickShows() {
        Folder v(5);
        v.commands.filesGiven(v.w(), {v.fake.folder.path()});
        v.showStrip();
        QCOMPARE(v.strip().current(), 0);
        QTest::keyClick(&v.w(), Qt::Key_Right);
        QCOMPARE(v.strip().current(), 1);
        const int side = v.strip().height();
        QVERIFY(v.strip().width() >= 4 * side);
        for (int i = 0; i < 4; ++i)
            QVERIFY2(near(v.drawnAt(i), hueOf(i)), qPrintable(v.drawnAt(i).name()));
        QTest::mouseClick(&v.strip(), Qt::LeftButton, {}, QPoint(3 * side + side / 2, side / 2));
        QCOMPARE(v.w().shownFile(), v.paths[3]);
        QCOMPARE(v.strip().current(), 3);
        QFile cached(v.cachedFor(v.paths[3]));
        QVERIFY(cached.open(QIODevice::ReadOnly));
        QCOMPARE(pngText(cached.readAll()).value("Thumb::URI"), ThumbnailCache::uri(v.paths[3]));
        QCOMPARE(v.strip().entryAt(QPoint(5 * side + 1, 5)), -1); // past the last entry
    }

    // However long the list, the strip holds the thumbnails in view and a view's width either
    // side; stepping to the end brings the last into view, and the wheel scrolls.
    void aLongListHoldsOnlyWhatIsNearTheView() {
        Folder v(1);
        for (int i = 1; i < 400; ++i) { // links: 400 files for the price of one
            const QString name = QStringLiteral("q%1.jpg").arg(i, 3, 10, QLatin1Char('0'));
            QVERIFY(::link(QFile::encodeName(v.paths[0]), QFile::encodeName(v.fake.file(name))) ==
                    0);
        }
        v.commands.filesGiven(v.w(), {v.fake.folder.path()});
        v.showStrip();
        const int span = v.strip().lastInView() - v.strip().firstInView() + 1;
        QVERIFY(span >= 5);
        QTRY_COMPARE(v.strip().held(), qsizetype(2 * span)); // in view and one view to the right
        QTest::keyClick(&v.w(), Qt::Key_End);
        QCOMPARE(v.strip().lastInView(), 399);
        QTRY_VERIFY(v.strip().inViewMade());
        QTRY_COMPARE(v.strip().held(), qsizetype(2 * span));
        const int first = v.strip().firstInView();
        QWheelEvent wheel(QPointF(10, 10), v.strip().mapToGlobal(QPointF(10, 10)), {}, {0, 240},
                          Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&v.strip(), &wheel);
        QCOMPARE(v.strip().firstInView(), first - 2);
        QTRY_VERIFY(v.strip().inViewMade());
        QVERIFY(v.strip().held() <= 3 * span + 2);
    }

    // A picture turned on disk gets a new thumbnail, in the strip and in the cache, even within
    // the second it was written in, which the cache's times cannot tell apart.
    void aTurnedPictureGetsANewThumbnail() {
        Folder v(2, {64, 32});
        Folder::ageFile(v.paths[0], 0);
        v.commands.filesGiven(v.w(), {v.fake.folder.path()});
        v.showStrip();
        QCOMPARE(QImage(v.cachedFor(v.paths[0])).size(), QSize(64, 32));
        QTest::keyClick(&v.w(), Qt::Key_R, Qt::ControlModifier);
        QTRY_COMPARE(QImage(v.cachedFor(v.paths[0])).size(), QSize(32, 64));
        QTRY_VERIFY(v.strip().inViewMade());
    }
};

TOVIK_REGISTER_TEST(TestStrip)
#include "test_strip.moc"
