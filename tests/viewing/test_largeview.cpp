// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "app/frmshowtell.h"
#include "saving/saveas.h"
#include "support/scopedenvironment.h"
#include "support/testmain.h"
#include "support/viewer.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>

#include <csignal>

using namespace tovik;
using namespace tovik::test;

namespace {
// A baseline JPEG of a scene with detail everywhere, 1203 x 517.
QByteArray sceneJpeg() {
    QImage scene(1203, 517, QImage::Format_RGB32);
    for (int y = 0; y < scene.height(); ++y)
        for (int x = 0; x < scene.width(); ++x)
            scene.setPixel(x, y, qRgb(x % 251, (y * 7) % 256, ((x / 16 + y / 16) % 2) * 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    scene.save(&buffer, "JPEG", 90);
    return bytes;
}
} // namespace

class TestLargeView : public QObject {
    Q_OBJECT
private slots:
    // A picture past the bound on large pictures (set low here) is shown at once from its
    // overview, its size, scroll bars and status those of the whole picture; at zoom 1 the parts
    // that come draw it as its whole decode would; showing another ends its helper.
    void aLargePictureIsShownFromItsOverviewAndParts() {
        Viewer v;
        v.fake.write("large.jpg", sceneJpeg());
        v.open({"large.jpg"});
        const QImage whole = v.w().imgThree.picture.convertToFormat(QImage::Format_RGB32);
        const int across = v.w().HScroll1->maximum(), down = v.w().VScroll1->maximum();
        QVERIFY(!v.w().imgThree.large && across > 0 && down > 0);

        const ScopedEnvironment bound("TOVIK_LARGE_PICTURE_PIXELS", "100000");
        v.open({"large.jpg"});
        QVERIFY(v.w().imgThree.large);
        QCOMPARE(v.w().imgThree.pixels, QSize(1203, 517));
        QCOMPARE(v.w().imgThree.picture.size(), QSize(76, 33)); // a sixteenth
        QCOMPARE(v.w().HScroll1->maximum(), across);
        QCOMPARE(v.w().VScroll1->maximum(), down);
        QCOMPARE(v.status(), v.fake.file("large.jpg"));
        const QRect corner(0, 0, 400, 300);
        QTRY_COMPARE_WITH_TIMEOUT(v.w().imgOne->drawnPart(corner), whole.copy(corner), 10000);
        QVERIFY(v.fake.messages.shown.isEmpty());

        // Zoomed out until the overview has a pixel for each drawn, no part is asked for.
        v.w().state().ZoomFactor = 0.05f;
        v.w().redraw();
        v.w().imgOne->repaint();
        QTest::qWait(200); // what a part asked for wrongly would take to come
        for (const int denominator : {2, 4, 8})
            QVERIFY(
                v.w().imgThree.large->parts(QRect(0, 0, 1203, 517), denominator, false).isEmpty());
        v.w().state().ZoomFactor = 1;
        v.w().redraw();

        // Copied and saved at zoom 1 from the picture itself, not its overview.
        QTest::keyClick(&v.w(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(qvariant_cast<QImage>(QGuiApplication::clipboard()->mimeData()->imageData())
                     .convertToFormat(QImage::Format_RGB32),
                 whole);
        QVERIFY(saveShownAsBitmap(v.w(), v.fake.file("saved.bmp")));
        QCOMPARE(QImage(v.fake.file("saved.bmp")).convertToFormat(QImage::Format_RGB32), whole);

        const qint64 helper = v.w().imgThree.large->helperProcess();
        v.fake.write("small.jpg", QByteArray(sceneJpeg()));
        const ScopedEnvironment higher("TOVIK_LARGE_PICTURE_PIXELS", "1000000");
        v.open({"small.jpg"});
        QVERIFY(!v.w().imgThree.large);
        QCOMPARE(::kill(pid_t(helper), 0), -1);
    }

    // A picture that claims 65535 x 65535 pixels in a few hundred bytes opens at once; saved at
    // zoom 1 it would pass the budget, which Save As says, writing nothing.
    void aPictureTooLargeToSaveAtItsZoomIsNotSaved() {
        Viewer v;
        QByteArray claims = sceneJpeg();
        const qsizetype frame = claims.indexOf("\xff\xc0");
        for (int i = 5; i <= 8; ++i)
            claims[frame + i] = char(0xff);
        v.fake.write("claims.jpg", claims.left(2000));
        v.open({"claims.jpg"});
        QVERIFY(v.w().imgThree.large);
        QCOMPARE(v.w().imgThree.pixels, QSize(65535, 65535));
        QVERIFY(!saveShownAsBitmap(v.w(), v.fake.file("saved.bmp")));
        QVERIFY(!QFile::exists(v.fake.file("saved.bmp")));
        QCOMPARE(v.fake.messages.shown.size(), 1);
        QCOMPARE(v.fake.messages.shown.first().first, QStringLiteral("Picture Too Large"));
        QVERIFY(v.fake.messages.shown.first().second.contains("65535 x 65535"));
    }
};

TOVIK_REGISTER_TEST(TestLargeView)
#include "test_largeview.moc"
