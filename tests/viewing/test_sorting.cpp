// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "core/dialogtext.h"
#include "imaging/datetaken.h"
#include "settings/drives.h"
#include "support/exiffiles.h"
#include "support/modernfiles.h"
#include "support/testmain.h"
#include "support/viewer.h"

#include <QDateTime>
#include <QFile>
#include <QMenu>
#include <QTest>

using namespace tovik;
using namespace tovik::test;

namespace {
QByteArray photoTaken(const QByteArray& when) {
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::gray);
    return withExifBlock(encoded(image, "jpg"),
                         exifBlock({ascii(0x010f, "Tovikon")}, {ascii(0x9003, when)}, {}));
}

// Three photos whose names run against the days they were taken.
struct Dated : Viewer {
    QStringList paths;
    Dated() {
        const QList<QPair<QString, QByteArray>> photos = {{"a.jpg", "2024:05:19 10:00:00"},
                                                          {"b.jpg", "2024:05:18 10:00:00"},
                                                          {"c.jpg", "2024:05:17 10:00:00"}};
        for (const auto& [name, when] : photos) {
            fake.write(name, photoTaken(when));
            paths << fake.file(name);
        }
    }
    QStringList list() const {
        QStringList names;
        for (qint32 i = 1; i <= state.PictureCount; ++i)
            names << state.PictureList(i).section('/', -1);
        return names;
    }
};
} // namespace

class TestSorting : public QObject {
    Q_OBJECT
private slots:
    void theDateTakenIsReadFromExif() {
        Dated v;
        QCOMPARE(dateTakenMs(v.paths[2]),
                 QDateTime(QDate(2024, 5, 17), QTime(10, 0)).toMSecsSinceEpoch());
        v.fake.write("plain.jpg", QByteArray::fromHex("ffd8ffe1000a4578696600004d4d"));
        QCOMPARE(dateTakenMs(v.fake.file("plain.jpg")), -1);
    }

    // A list from the Open dialog keeps its order until a sort is chosen; the choice then sorts
    // it, keeps the picture shown on screen, is remembered, and orders the next folder opened.
    void sortingByDateTakenOrdersWhatNamesDoNot() {
        Dated v;
        v.fake.dialogs.fileAnswers << FileAnswer{
            DialogResult::Accepted, selectedFilesText({v.paths[1], v.paths[0], v.paths[2]})};
        v.w().Toolbar1->click(OpenButton);
        QCOMPARE(v.list(), (QStringList{"b.jpg", "a.jpg", "c.jpg"}));
        v.w().SortByDateTaken->trigger();
        QCOMPARE(v.list(), (QStringList{"c.jpg", "b.jpg", "a.jpg"}));
        QCOMPARE(v.w().shownFile(), v.paths[1]); // b stays on screen
        QTest::keyClick(&v.w(), Qt::Key_Right);
        QCOMPARE(v.w().shownFile(), v.paths[0]);
        QCOMPARE(ReadSortOrder(v.fake.file(SortFileName)), (SortOrder{SortKey::DateTaken, false}));
        v.w().ReverseOrder->trigger();
        QCOMPARE(v.list(), (QStringList{"a.jpg", "b.jpg", "c.jpg"}));
        v.w().SortByDateTaken->trigger(); // the key again: still reversed
        QCOMPARE(v.list(), (QStringList{"a.jpg", "b.jpg", "c.jpg"}));
        v.w().ReverseOrder->trigger();
        v.commands.filesGiven(v.w(), {v.paths[0]}); // a file alone brings its folder, sorted
        QCOMPARE(v.list(), (QStringList{"c.jpg", "b.jpg", "a.jpg"}));
        QCOMPARE(v.w().shownFile(), v.paths[0]); // and shows first
        v.w().view_Click();
        QVERIFY(v.w().SortByDateTaken->isChecked() && !v.w().ReverseOrder->isChecked());
    }

    // A photo whose date changes on disk moves to its new place when the folder is looked at
    // again: what was learnt of its old self is not used for it.
    void aFolderSortedByDateFollowsADateChanged() {
        Dated v;
        v.w().SortByDateTaken->trigger();
        v.commands.filesGiven(v.w(), {v.fake.folder.path()});
        QCOMPARE(v.list(), (QStringList{"c.jpg", "b.jpg", "a.jpg"}));
        v.fake.write("c.jpg", photoTaken("2024:05:20 10:00:00")); // the same size
        QFile c(v.paths[2]);
        QVERIFY(c.open(QIODevice::ReadWrite));
        QVERIFY(c.setFileTime(QDateTime::currentDateTime().addSecs(60),
                              QFileDevice::FileModificationTime));
        c.close();
        v.commands.diskChanged(v.w());
        QCOMPARE(v.list(), (QStringList{"b.jpg", "a.jpg", "c.jpg"}));
    }
};

TOVIK_REGISTER_TEST(TestSorting)
#include "test_sorting.moc"
