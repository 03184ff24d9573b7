// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "settings/drives.h"
#include "support/fakes.h"

#include "support/filesizelimit.h"
#include "support/testmain.h"
#include <QDir>

#include <QTest>

using namespace tovik;
using namespace tovik::test;

namespace {
const SettingsDefaultsContext Context{FakeScreen().geometry(), 5400, 4200};
const LivePlacement Live{{300, 450, 7000, 5000}, 0};
} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void badFilesGiveDefaultsAndAreRewritten_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("six lines") << QByteArray("9\r\n1\r\n2\r\n300\r\n.5\r\n40\r\n");
        QTest::newRow("width above Integer")
            << QByteArray("9\r\n1\r\n2\r\n40000\r\n.5\r\n40\r\n1\r\n2\r\n3\r\n4\r\n0\r\n");
        QTest::newRow("garbage") << QByteArray("\x89PNG\r\n\x1a\n\x00\x00", 10);
    }
    void badFilesGiveDefaultsAndAreRewritten() {
        QFETCH(QByteArray, contents);
        FakePlatform fake;
        if (!contents.isEmpty())
            fake.write(SettingsFileName, contents);
        ViewerState state;
        QVERIFY(!ReadSettings(state, fake.file(SettingsFileName), Context, Live));
        QCOMPARE(state.SlideInterval, 5);
        QCOMPARE(state.ThumbTextColor, 0);
        QCOMPARE(state.ThumbBackColor, 16777215);
        QCOMPARE(state.ThumbPageWidth, qint16(640));
        QCOMPARE(state.ThumbScale, 0.15f);
        QCOMPARE(state.JPGQuality, qint16(80));
        QCOMPARE(state.SavedLeft, float((19200 - 5400) / 2));
        QCOMPARE(state.SavedWidth, 6000.0f);
        QCOMPARE(state.SavedHeight, 4500.0f);
        QCOMPARE(fake.read(SettingsFileName),
                 QByteArray("5\r\n0\r\n16777215\r\n640\r\n0.15\r\n80\r\n300\r\n450\r\n7000\r\n"
                            "5000\r\n0\r\n"));
    }

    void goodFileIsReadAndNotRewritten() {
        FakePlatform fake;
        const QByteArray commas = "7, 255, 65280, 800, .25, 55, 100, 200, 9000, 6000, 2";
        fake.write(SettingsFileName, commas);
        ViewerState state;
        QVERIFY(ReadSettings(state, fake.file(SettingsFileName), Context, Live));
        QCOMPARE(state.SlideInterval, 7);
        QCOMPARE(state.ThumbScale, 0.25f);
        QCOMPARE(state.SavedWindowState, 2);
        QCOMPARE(fake.read(SettingsFileName), commas);

        WriteSettings(state, fake.file(SettingsFileName), Live); // eleven-line form, live geometry
        QCOMPARE(fake.read(SettingsFileName),
                 QByteArray("7\r\n255\r\n65280\r\n800\r\n0.25\r\n55\r\n300\r\n450\r\n7000\r\n"
                            "5000\r\n0\r\n"));
    }

    void unreadableFileStillGivesDefaults() {
        FakePlatform fake;
        QVERIFY(QDir(fake.folder.path()).mkdir(SettingsFileName)); // a folder where the file goes
        ViewerState state;
        QVERIFY(!ReadSettings(state, fake.file(SettingsFileName), Context, Live));
        QCOMPARE(state.JPGQuality, qint16(80));
        QVERIFY(!WriteSettings(state, fake.file(SettingsFileName), Live));
    }

    void fullDiskKeepsTheOldSettings() {
        FakePlatform fake;
        const QByteArray old = "7, 255, 65280, 800, .25, 55, 100, 200, 9000, 6000, 0";
        fake.write(SettingsFileName, old);
        ViewerState state;
        QVERIFY(ReadSettings(state, fake.file(SettingsFileName), Context, Live));
        state.SlideInterval = 9;
        QString error;
        {
            const FileSizeLimit full(10);
            QVERIFY(!WriteSettings(state, fake.file(SettingsFileName), Live, &error));
        }
        QCOMPARE(error, QString("File too large"));
        QCOMPARE(fake.read(SettingsFileName), old);
        QCOMPARE(fake.filesBut({SettingsFileName}), QStringList());
        QVERIFY(WriteSettings(state, fake.file(SettingsFileName), Live, &error));
        QVERIFY(fake.read(SettingsFileName).startsWith("9\r\n"));
    }

    void pictureListIsOneBased() {
        ViewerState state;
        state.setPictureList({"a", "b"});
        QCOMPARE(state.PictureCount, 2);
        QCOMPARE(state.PictureList(1), QString("a"));
        QCOMPARE(state.PictureList(2), QString("b"));
        QCOMPARE(state.PictureList(3), QString());
        state.appendPicture("sheet");
        QCOMPARE(state.PictureCount, 3);
        state.clearPictureList();
        QCOMPARE(state.PictureList(1), QString());
    }
};

TOVIK_REGISTER_TEST(TestSettings)
#include "test_settings.moc"
