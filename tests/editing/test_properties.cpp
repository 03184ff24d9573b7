// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "core/dialogtext.h"
#include "editing/frmproperties.h"
#include "imaging/pictures.h"
#include "support/exiffiles.h"
#include "support/modernfiles.h"
#include "support/testmain.h"
#include "support/viewer.h"

#include <QClipboard>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace tovik;
using namespace tovik::test;

namespace {
QByteArray jpegOf(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return encoded(image, "jpg");
}

// The rows as "caption: value" lines, as Copy All gives them.
QStringList rowsOf(const QString& path) {
    QStringList lines;
    for (const PropertyRow& row : propertyRows(path, readProperties(path)))
        lines << row.caption + ": " + row.value;
    return lines;
}
} // namespace

class TestProperties : public QObject {
    Q_OBJECT
private slots:
    // Every field a camera writes, read in the helper and shown in the words people know.
    void aCameraPhotoShowsItsCameraData() {
        Viewer v;
        v.fake.write("camera.jpg", withExifBlock(jpegOf(64, 48), cameraExif()));
        const QStringList rows = rowsOf(v.fake.file("camera.jpg"));
        for (const char* expected :
             {"File name: camera.jpg", "Format: JPEG", "Size in pixels: 64 x 48",
              "Bit depth: 8 bits a channel", "Colour profile: none: shown as sRGB",
              "Camera maker: Tovikon", "Camera model: ZX-900", "Lens: Tovikon 50mm F1.8",
              "Exposure time: 1/250 s", "Aperture: f/2.8", "ISO: 400",
              "Focal length: 50 mm (75 mm in 35 mm terms)", "Exposure programme: Aperture priority",
              "Date taken: 2024-05-17 14:03:00", "GPS position: 48.858233, 2.294533"})
            QVERIFY2(rows.contains(expected), qPrintable(expected + ("\n" + rows.join('\n'))));
        QVERIFY(rows.filter("Flash: ").size() == 1);
        QVERIFY(rows.filter(QRegularExpression("^File size: .*\\([\\d,]+ bytes\\)$")).size() == 1);
    }

    // A profile is named by its own description; a file without EXIF has only its own facts.
    void aProfileIsNamedAndMissingFieldsAreLeftOut() {
        Viewer v;
        v.fake.write("tagged.jpg", withIccProfile(jpegOf(16, 16), swappedRedAndGreenProfile()));
        const QStringList rows = rowsOf(v.fake.file("tagged.jpg"));
        const QStringList profile = rows.filter("Colour profile: ");
        QCOMPARE(profile.size(), 1);
        QCOMPARE(profile.first(), "Colour profile: a profile without a name"); // Qt writes none
        v.fake.write("gray.jpg", withIccProfile(jpegOf(16, 16), linearGrayProfile()));
        QVERIFY(rowsOf(v.fake.file("gray.jpg")).contains("Colour profile: gray built-in"));
        QVERIFY(rows.filter(QRegularExpression("^(Camera|ISO|Date|GPS)")).isEmpty());
    }

    // Hostile EXIF gives the fields that are sound and never takes the viewer down.
    void hostileExifGivesWhatIsSound_data() {
        QTest::addColumn<QByteArray>("block");
        for (const auto& [name, block] : hostileExifBlocks())
            QTest::newRow(name) << block;
    }
    void hostileExifGivesWhatIsSound() {
        QFETCH(QByteArray, block);
        Viewer v;
        v.fake.write("hostile.jpg", withExifBlock(jpegOf(32, 24), block));
        const QStringList rows = rowsOf(v.fake.file("hostile.jpg"));
        QVERIFY(rows.contains("Size in pixels: 32 x 24"));
        QVERIFY(rows.filter("GPS position").isEmpty()); // none of them has a sound place
    }

    // Alt+Return opens the window on the picture shown; it follows a step; Copy All and Open
    // Location hand on what it lists.
    void theWindowFollowsThePictureShown() {
        Viewer v;
        v.fake.write("a.jpg", withExifBlock(jpegOf(64, 48), cameraExif()));
        v.fake.write("b.jpg", jpegOf(20, 10));
        v.fake.dialogs.fileAnswers
            << FileAnswer{DialogResult::Accepted,
                          selectedFilesText({v.fake.file("a.jpg"), v.fake.file("b.jpg")})};
        v.w().Toolbar1->click(OpenButton);
        QTest::keyClick(&v.w(), Qt::Key_Return, Qt::AltModifier);
        auto* properties = v.w().findChild<frmProperties*>();
        QVERIFY(properties && properties->isVisible());
        QVERIFY(properties->asText().contains("ISO: 400\n"));
        properties->CopyAll->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), properties->asText());
        properties->OpenPlace->click();
        QCOMPARE(v.fake.shell.opened, QStringList{"geo:48.858233,2.294533"});
        QTest::keyClick(&v.w(), Qt::Key_Right);
        QVERIFY(properties->asText().contains("Size in pixels: 20 x 10\n"));
        QVERIFY(!properties->OpenPlace->isEnabled());
        v.w().CloseFile->trigger();
        QCOMPARE(properties->List->topLevelItemCount(), 0);
    }
};

TOVIK_REGISTER_TEST(TestProperties)
#include "test_properties.moc"
