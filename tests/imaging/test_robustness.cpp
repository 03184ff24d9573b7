// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "support/testmain.h"
#include "support/viewer.h"
#include "thumbnails/frmthumboption.h"
#include "viewing/display.h"
#include "viewing/slideshow.h"
#include "viewing/zoom.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <random>

using namespace tovik;
using namespace tovik::test;

namespace {
QStringList goodSamples() {
    QStringList out;
    const QStringList bad = {"not_a_picture.jpg", "truncated.jpg", "huge_header.bmp"};
    for (const QString& name :
         QDir(QStringLiteral(TOVIK_TESTDATA)).entryList(QDir::Files, QDir::Name))
        if (!name.endsWith(".py") && !bad.contains(name))
            out << name;
    return out;
}

QByteArray readSample(const QString& name) {
    QFile f(QStringLiteral(TOVIK_TESTDATA "/") + name);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read the sample %s", qPrintable(f.fileName()));
    return f.readAll();
}

void putLe32(QByteArray& b, int at, quint32 v) {
    for (int i = 0; i < 4 && at + i < b.size(); ++i)
        b[at + i] = char((v >> (8 * i)) & 0xff);
}

// Truncations, flipped bytes and absurd sizes of one good file.
QList<QByteArray> mutations(const QByteArray& good, std::mt19937& random) {
    QList<QByteArray> out;
    for (int cut : {0, 1, 8, 20, 54, 100})
        out << good.left(cut);
    for (int k = 1; k <= 5; ++k)
        out << good.left(good.size() * k / 6);
    for (int i = 0; i < 12; ++i) {
        QByteArray flipped = good;
        for (int n = 0; n < 1 + i; ++n)
            flipped[int(random() % quint32(flipped.size()))] ^= char(1 << (random() % 8));
        out << flipped;
    }
    for (int at : {6, 18, 22, 24, 28, 32}) { // BMP, GIF, ICO and EMF size fields
        QByteArray absurd = good;
        putLe32(absurd, at, 0x7ffffff0u);
        out << absurd;
    }
    return out;
}

qint64 residentKB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return 0;
}
} // namespace

class TestRobustness : public QObject {
    Q_OBJECT
private slots:
    void mutatedFilesNeverTakeTheViewerDown() {
        Viewer v;
        v.open({"photo.jpg"});
        std::mt19937 random(2026);
        int files = 0, refused = 0;
        for (const QString& name : goodSamples()) {
            const QList<QByteArray> bad = mutations(readSample(name), random);
            for (qsizetype i = 0; i < bad.size(); ++i) {
                const QString file = QString("m%1-%2").arg(i).arg(name);
                v.fake.write(file, bad[i]);
                const QImage before = v.w().imgThree.picture;
                const qsizetype messages = v.fake.messages.shown.size();
                tovik::Display(v.w(), v.fake.file(file));
                ++files;
                QCOMPARE(v.status(), v.fake.file(file));
                if (v.fake.messages.shown.size() > messages) {
                    ++refused; // a message, and the previous picture stays
                    QCOMPARE(v.w().imgThree.picture.cacheKey(), before.cacheKey());
                    const QString title = v.fake.messages.shown.last().first;
                    QVERIFY2(title == "Invalid Picture" || title == "Picture Too Large",
                             qPrintable(title));
                } else {
                    QVERIFY(!v.w().imgThree.isEmpty());
                }
            }
        }
        QVERIFY(files >= 300);
        QVERIFY(refused > 0);
    }

    void longSlideShowKeepsItsMemory() {
        Viewer v;
        const QStringList paths = v.fake.copySamples(goodSamples()); // every format
        QVERIFY(paths.size() >= 12);
        QStringList list;
        for (int i = 0; i < 500; ++i)
            list << paths[i % paths.size()];
        v.state.setPictureList(list);
        v.state.CurrentIndex = 1;
        v.state.LoopForever = true;
        StartSlideShow(v.w());
        // The first lap warms the allocator and Qt's caches up: the second is the baseline.
        qint64 afterSecondLap = 0, afterLastLap = 0;
        int laps = 0;
#ifdef __SANITIZE_ADDRESS__
        // Memory is not measured there; three laps find what ten would, in a third of the time
        // (each metafile's helper is a sanitized process too).
        constexpr int Ticks = 1500;
#else
        constexpr int Ticks = 5000;
#endif
        for (int tick = 1; tick <= Ticks; ++tick) {
            // Zoom by the entry about to show, so that every lap shows the same pictures at the
            // same zooms and a later lap needs no more memory than an earlier one.
            const qint32 entry = v.state.CurrentIndex;
            if (entry == 1)
                OriginalSize(v.w());
            else if (entry % 97 == 0)
                ZoomIn(v.w());
            SlideTick(v.w());
            QCoreApplication::sendPostedEvents(); // as the event loop does between two ticks
            if (v.state.PictureCount == 501 && v.state.CurrentIndex == 1) { // a lap just ended
                v.w().picturesAhead.waitForDecodes(); // the next slide is held at every lap's end
                (++laps == 2 ? afterSecondLap : afterLastLap) = residentKB();
            }
            if (tick == 250) { // a sheet of the whole list, within the first lap
                QObject handlerLife;
                onNextDialog(&handlerLife, [](QWidget* d) {
                    auto* o = qobject_cast<frmThumbOption*>(d);
                    o->txtPercent->setText("5");
                    o->txtWidth->setText("2000");
                    o->Command1->click();
                });
                v.w().Toolbar1->setEnabled(ThumbnailButton, true);
                v.w().Toolbar1->click(ThumbnailButton);
                QCOMPARE(v.state.PictureCount, 501);
                StartSlideShow(v.w());
            }
        }
        QVERIFY(v.w().Timer1.isEnabled());
        qInfo("resident memory after the second lap with the sheet %lld kB, after the last %lld kB",
              afterSecondLap, afterLastLap);
#ifndef __SANITIZE_ADDRESS__ // the sanitizer's quarantine keeps freed memory resident on purpose
        QVERIFY(afterSecondLap > 0 && afterLastLap > 0);
        QVERIFY2(afterLastLap <= afterSecondLap * 11 / 10, "memory grew by more than 10 %");
#endif
    }
};

TOVIK_REGISTER_TEST(TestRobustness)
#include "test_robustness.moc"
