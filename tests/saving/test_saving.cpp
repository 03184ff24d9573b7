// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/bitmap.h"
#include "imaging/pictures.h"
#include "nviewlib/nviewlib.h"
#include "saving/frmslider.h"
#include "saving/saveas.h"
#include "support/filesizelimit.h"
#include "support/imagecompare.h"
#include "support/testmain.h"
#include "support/viewer.h"
#include "viewing/display.h"
#include "viewing/zoom.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <turbojpeg.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace tovik;
using namespace tovik::test;

namespace {
struct Saver : Viewer {
    explicit Saver(const QString& picture = "photo.jpg") { open({picture}); }
    // Save As with this answer from the Save dialog; the quality dialog, if it opens, is
    // handled by onQuality.
    void saveAs(const QString& path, std::function<void(frmSlider*)> onQuality = {}) {
        fake.dialogs.fileAnswers << FileAnswer{DialogResult::Accepted, path};
        qualityShown = false;
        QObject handlerLife;
        onNextDialog(&handlerLife, [this, onQuality](QWidget* d) {
            qualityShown = true;
            auto* slider = qobject_cast<frmSlider*>(d);
            if (onQuality)
                onQuality(slider);
            else
                slider->Command1->click();
        });
        SaveAs_Click(w());
    }
    QString out(const QString& name) const { return fake.file(name); }
    bool qualityShown = false;
};
} // namespace

class TestSaving : public QObject {
    Q_OBJECT
private slots:
    void bitmapRoundTripAtTheZoomedSize() {
        Saver s;
        for (int i = 0; i < 7; ++i)
            ZoomIn(s.w()); // 2.75
        s.saveAs(s.out("out.bmp"));
        QVERIFY(!s.qualityShown);
        const QImage saved(s.out("out.bmp"));
        const QSize size(880, 660);
        QCOMPARE(saved.size(), size);
        // The pixels saved files have always had, and what the screen shows to within rounding.
        const QImage reference = QImage(s.fake.file("photo.jpg"))
                                     .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QCOMPARE(saved.convertToFormat(QImage::Format_RGB32), reference);
        QVERIFY(difference(saved, s.w().imgOne->drawnPart(QRect(QPoint(), size))).worst <= 2);
        QVERIFY(!QFile::exists(s.out(ScratchFileName)));
        QVERIFY(s.fake.messages.shown.isEmpty());
    }

    void jpegRoundTripThroughTheScratchBitmap() {
        Saver s;
        for (int i = 0; i < 4; ++i)
            ZoomIn(s.w());
        s.state.JPGQuality = 80;
        int offered = -1;
        s.saveAs(s.out("Out.Jpg"), [&](frmSlider* d) {
            offered = d->Slider1->value();
            d->Command1->click();
        });
        QCOMPARE(offered, 80);
        QImageReader reader(s.out("Out.Jpg"));
        QCOMPARE(reader.format(), QByteArray("jpeg"));
        const QImage saved = reader.read();
        QCOMPARE(saved.size(), QSize(640, 480));
        QVERIFY(difference(saved, s.w().renderDrawing()).worst < 40);
        const QImage scratch(s.out(ScratchFileName)); // left in place, the shown picture
        QCOMPARE(difference(scratch, s.w().renderDrawing()).worst, 0);
        QVERIFY(s.fake.messages.shown.isEmpty());

        tovik::Display(s.w(), s.fake.copySamples({"static.gif"}).first()); // a second save
        s.saveAs(s.out("second.jpg"));
        QCOMPARE(QImage(s.out(ScratchFileName)).size(), QSize(320, 240));
        QCOMPARE(QImage(s.out("second.jpg")).size(), QSize(320, 240));
    }

    void qualityOrdersFileSizes() {
        Saver s;
        QString error;
        QVERIFY(saveBitmap(s.w().renderDrawing(), 0, s.out("src.bmp"), SafeFile::Kind::Durable,
                           &error));
        NViewLib& lib = s.fake.nviewlib;
        QCOMPARE(lib.NViewLibLoad(s.out("src.bmp"), 0), 1);
        QList<qint64> sizes;
        for (qint16 q : {0, 15, 100}) {
            const QString path = s.out(QString("q%1.jpg").arg(q));
            QCOMPARE(lib.NViewLibSaveAsJPG(q, path), qint16(1)); // the picture stays loaded
            sizes << QFileInfo(path).size();
        }
        QVERIFY2(sizes[0] < sizes[1] && sizes[1] < sizes[2], qPrintable(QString::number(sizes[0])));
        QVERIFY(QImage(s.out("q0.jpg")).size() == QSize(320, 240));

        QVERIFY(QImage(s.out("src.bmp")).save(s.out("qt24.bmp"))); // Qt's own 24-bit bitmaps
        QCOMPARE(lib.NViewLibLoad(s.out("qt24.bmp"), 0), 1);
        QCOMPARE(lib.NViewLibSaveAsJPG(80, s.out("qt24.jpg")), qint16(1));
        QVERIFY(difference(QImage(s.out("qt24.jpg")), QImage(s.out("q100.jpg"))).worst < 40);
    }

    // The scratch bitmap is compressed where it lies in its file; the JPEG must be the one the
    // library's own bitmap loader would have given.
    // The JPEG is encoded while the scratch is written, from the same pixels: those the scratch
    // holds, transparent parts laid on the background.
    void jpegFromTheMappedScratchEqualsTheLoadedOne_data() {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QSize>("zoomed");
        QTest::newRow("opaque") << "static.gif" << QSize(200, 150);
        QTest::newRow("transparent") << "argb32_v5.bmp" << QSize(200, 150);
    }
    void jpegFromTheMappedScratchEqualsTheLoadedOne() {
        QFETCH(QString, picture);
        QFETCH(QSize, zoomed);
        Saver s(picture);
        ZoomIn(s.w());
        s.state.JPGQuality = 75;
        QVERIFY(saveShownAsJpeg(s.w(), s.out("mapped.jpg")));
        int width = 0, height = 0, format = TJPF_UNKNOWN;
        unsigned char* pixels = tjLoadImage(QFile::encodeName(s.out(ScratchFileName)).constData(),
                                            &width, 1, &height, &format, TJFLAG_BOTTOMUP);
        QVERIFY(pixels);
        tjhandle tj = tjInitCompress();
        unsigned char* jpeg = nullptr;
        unsigned long size = 0;
        QCOMPARE(tjCompress2(tj, pixels, width, 0, height, format, &jpeg, &size, TJSAMP_420, 75,
                             TJFLAG_BOTTOMUP),
                 0);
        const QByteArray loaded(reinterpret_cast<const char*>(jpeg), qsizetype(size));
        tjFree(jpeg);
        tjFree(pixels);
        tjDestroy(tj);
        QCOMPARE(QSize(width, height), zoomed);
        QVERIFY(s.fake.read("mapped.jpg") == loaded);
    }

    void extensionRules_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("written");
        QTest::newRow(".JPG") << "A.JPG" << true;
        QTest::newRow(".bMp") << "b.bMp" << true;
        QTest::newRow(".jpeg") << "c.jpeg" << false;
        QTest::newRow(".png") << "d.png" << false;
        QTest::newRow("no extension") << "plain" << false;
    }
    void extensionRules() {
        QFETCH(QString, name);
        QFETCH(bool, written);
        Saver s;
        s.saveAs(s.out(name));
        QCOMPARE(QFile::exists(s.out(name)), written);
        QCOMPARE(s.fake.messages.shown.isEmpty(), written);
        if (!written)
            QVERIFY(s.fake.messages.shown.first().second.contains(".jpg or .bmp"));
        QVERIFY(!s.state.DialogCancelled);
    }

    void shortNameIsNoExtension() {
        Saver s;
        s.fake.dialogs.fileAnswers << FileAnswer{DialogResult::Accepted, "pg"};
        SaveAs_Click(s.w());
        QCOMPARE(s.fake.messages.shown.size(), 1);
    }

    void cancelsLeaveTheDiskUntouched() {
        Saver s;
        SaveAs_Click(s.w()); // the Save dialog cancelled
        QVERIFY(!s.state.DialogCancelled);

        s.fake.write("keep.jpg", "old");
        s.state.JPGQuality = 80;
        s.saveAs(s.out("keep.jpg"), [](frmSlider* d) {
            d->Slider1->setValue(30);
            d->Slider1_MouseUp();
            d->Command2->click();
        });
        QCOMPARE(s.fake.read("keep.jpg"), QByteArray("old"));
        QVERIFY(!QFile::exists(s.out(ScratchFileName)));
        QVERIFY(!s.state.DialogCancelled);
        QCOMPARE(s.state.JPGQuality, qint16(30)); // offered next time

        s.saveAs(s.out("keep.jpg"), [](frmSlider* d) { d->close(); }); // the close box
        QCOMPARE(s.fake.read("keep.jpg"), QByteArray("old"));
    }

    void failuresAreReportedAndKeepOldFiles() {
        Saver s;
        const QString nowhere = s.fake.folder.path() + "/missing/out.bmp";
        s.saveAs(nowhere);
        QCOMPARE(s.fake.messages.shown.size(), 1);
        QVERIFY(s.fake.messages.shown.first().second.contains(nowhere));
        s.saveAs(s.fake.folder.path() + "/missing/out.jpg");
        QCOMPARE(s.fake.messages.shown.size(), 2);

        QFile::remove(s.out(ScratchFileName));
        QVERIFY(QDir(s.fake.folder.path()).mkdir(ScratchFileName)); // the scratch cannot be made
        s.saveAs(s.out("x.jpg"));
        QCOMPARE(s.fake.messages.shown.size(), 3);
        QVERIFY2(s.fake.messages.shown.last().second.contains(s.out(ScratchFileName)),
                 qPrintable(s.fake.messages.shown.last().second)); // the file that failed
        QVERIFY(!QFile::exists(s.out("x.jpg")));
        QVERIFY(s.w().pictureLoaded());

        NViewLib lib;
        s.fake.write("keep.jpg", "old");
        s.fake.copySamples({"huge_header.bmp", "pal4.bmp"});
        QCOMPARE(lib.NViewLibLoad(s.out("huge_header.bmp"), 0), 0); // refused before allocating
        QCOMPARE(lib.NViewLibSaveAsJPG(80, s.out("keep.jpg")), qint16(0));
        QCOMPARE(s.fake.read("keep.jpg"), QByteArray("old"));
        QCOMPARE(lib.NViewLibLoad(s.out("pal4.bmp"), 0), 0); // a kind it does not read
        QVERIFY(!lib.lastError().isEmpty());
    }

    void fullDiskKeepsTheOldFilesAndSaysWhy() {
        Saver s;
        const QByteArray old(20000, 'o');
        s.fake.write("old.bmp", old);
        s.fake.write("old.jpg", old);
        {
            const FileSizeLimit full(4096);
            s.saveAs(s.out("old.bmp"));
            s.saveAs(s.out("old.jpg")); // its scratch bitmap cannot be written
        }
        QCOMPARE(s.fake.read("old.bmp"), old);
        QCOMPARE(s.fake.read("old.jpg"), old);
        QCOMPARE(s.fake.messages.shown.size(), 2);
        QVERIFY(s.fake.messages.shown[0].second.contains(s.out("old.bmp")));
        QVERIFY(s.fake.messages.shown[0].second.contains("File too large"));
        QVERIFY(s.fake.messages.shown[1].second.contains(s.out(ScratchFileName)));

        NViewLib lib; // a small JPEG: the case a buffered writer reports as saved
        QString error;
        QVERIFY(saveBitmap(s.w().renderDrawing(), 0, s.out("src.bmp"), SafeFile::Kind::WorkFile,
                           &error));
        QCOMPARE(lib.NViewLibLoad(s.out("src.bmp"), 0), 1);
        {
            const FileSizeLimit full(100);
            QCOMPARE(lib.NViewLibSaveAsJPG(80, s.out("old.jpg")), qint16(0));
        }
        QCOMPARE(s.fake.read("old.jpg"), old);
        QVERIFY(lib.lastError().contains("File too large"));
        QCOMPARE(s.fake.filesBut({"photo.jpg", "old.bmp", "old.jpg", "src.bmp", "viewer.ini"}),
                 QStringList());
    }

    void savingOverAFileKeepsWhatMadeItTheUsers() {
        Saver s;
        const QByteArray priv = QFile::encodeName(s.out("private.bmp"));
        s.fake.write("private.bmp", "old");
        QVERIFY(::chmod(priv.constData(), 0640) == 0);
        const bool attributes = ::setxattr(priv.constData(), "user.tag", "kept", 4, 0) == 0;
        const bool root = ::geteuid() == 0;
        if (root)
            QVERIFY(::chown(priv.constData(), 65534, 65534) == 0);
        s.saveAs(s.out("private.bmp"));
        struct stat info {};
        QVERIFY(::stat(priv.constData(), &info) == 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0640));
        QVERIFY(s.fake.read("private.bmp").startsWith("BM"));
        if (root)
            QCOMPARE(info.st_uid, uid_t(65534));
        char tag[8] = {};
        if (attributes)
            QCOMPARE(QByteArray(tag, int(::getxattr(priv.constData(), "user.tag", tag, 8))),
                     QByteArray("kept"));

        // A chain of links is followed to its end; a dangling one names a new file.
        s.fake.write("real.bmp", "old");
        QFile::link(s.out("real.bmp"), s.out("link2"));
        QFile::link(s.out("link2"), s.out("link1.bmp"));
        QFile::link(s.out("new.bmp"), s.out("dangling.bmp"));
        s.saveAs(s.out("link1.bmp"));
        s.saveAs(s.out("dangling.bmp"));
        QVERIFY(QFileInfo(s.out("link1.bmp")).isSymLink());
        QVERIFY(QFileInfo(s.out("link2")).isSymLink());
        QVERIFY(s.fake.read("real.bmp").startsWith("BM"));
        QVERIFY(QFileInfo(s.out("dangling.bmp")).isSymLink());
        QVERIFY(s.fake.read("new.bmp").startsWith("BM"));
        QVERIFY(s.fake.messages.shown.isEmpty());
    }

    // Run as a user who may not write the file (root may, as its own open would).
    void aReadOnlyFileIsRefused() {
        QTemporaryDir folder;
        QVERIFY(::chmod(QFile::encodeName(folder.path()).constData(), 0777) == 0);
        const QString path = folder.path() + "/readonly.bmp";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("old") == 3);
        file.close();
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        const pid_t child = ::fork();
        if (child == 0) {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                ::_exit(3);
            QString error;
            const bool saved = writeFileSafely(path, "new", SafeFile::Kind::Durable, &error);
            ::_exit(saved ? 1 : error == QString::fromLocal8Bit(strerror(EACCES)) ? 0 : 2);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QCOMPARE(WEXITSTATUS(status), 0);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("old"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"readonly.bmp"});
    }

    // The file reaches the disk before it replaces the old one, and the rename after it.
    void aDurableFileIsFlushedBeforeAndAfterTheRename() {
        QTemporaryDir folder;
        const QString path = folder.path() + "/out.bmp";
        QString error;
        QVERIFY(writeFileSafely(path, "old", SafeFile::Kind::Durable, &error));
        QStringList seen;
        SafeFile::setSyncObserver([&](const QString& synced) {
            QFile now(path);
            now.open(QIODevice::ReadOnly);
            seen << QFileInfo(synced).fileName().section('-', 0, 0) + ":" + now.readAll();
        });
        QVERIFY(writeFileSafely(path, "new", SafeFile::Kind::Durable, &error));
        QVERIFY(writeFileSafely(path, "work", SafeFile::Kind::WorkFile, &error));
        SafeFile::setSyncObserver(nullptr);
        const QString folderName = QFileInfo(folder.path()).fileName().section('-', 0, 0);
        QCOMPARE(seen, (QStringList{"out.bmp.tovik:old", folderName + ":new"}));
    }

    void qualityDialogFollowsTyping() {
        Viewer v;
        v.state.JPGQuality = 80;
        frmSlider d(v.w());
        QCOMPARE(d.windowTitle(), QString("JPG Quality"));
        QCOMPARE(d.size(), QSize(344, 75));
        QCOMPARE(d.Slider1->value(), 80);
        QCOMPARE(d.Text1->text(), QString("80"));
        d.show();
        d.Text1->clear();
        QCOMPARE(d.Slider1->value(), 0); // empty: slider 0, quality kept
        QCOMPARE(v.state.JPGQuality, qint16(80));
        QTest::keyClick(d.Text1, '1');
        QCOMPARE(v.state.JPGQuality, qint16(1));
        QTest::keyClick(d.Text1, 'x'); // discarded
        QTest::keyClick(d.Text1, '5');
        QCOMPARE(d.Slider1->value(), 15);
        QTest::keyClick(d.Text1, '0');
        QCOMPARE(v.fake.messages.shown,
                 (QList<QPair<QString, QString>>{{"Invalid", "Value must be 0-100."}}));
        QCOMPARE(d.Text1->text(), QString());
        QCOMPARE(d.Slider1->value(), 0);
        QCOMPARE(v.state.JPGQuality, qint16(15));
        d.Text1->setText("12a"); // pasted: treated as out of range
        QCOMPARE(v.fake.messages.shown.size(), 2);
        QCOMPARE(v.state.JPGQuality, qint16(15));
        d.Text1->setText("100");
        QCOMPARE(v.state.JPGQuality, qint16(100));
        d.Text1->setText("101");
        QCOMPARE(v.fake.messages.shown.size(), 3);
        QCOMPARE(v.state.JPGQuality, qint16(100));
        d.Text1->setText("007");
        QCOMPARE(v.state.JPGQuality, qint16(7));
        QCOMPARE(d.Text1->text(), QString("007"));
        QTest::keyClick(d.Slider1, Qt::Key_Right); // keyboard alone changes nothing
        QCOMPARE(v.state.JPGQuality, qint16(7));
        d.Command1->click();
        QCOMPARE(v.fake.read("viewer.ini").split('\r').at(5).trimmed(), QByteArray("7"));
        QVERIFY(!v.state.DialogCancelled);
    }

    void qualityDialogClampsHandEditedValues() {
        Viewer v;
        v.state.JPGQuality = 250;
        frmSlider d(v.w());
        QCOMPARE(d.Text1->text(), QString("100"));
        QVERIFY(v.fake.messages.shown.isEmpty());
    }
};

TOVIK_REGISTER_TEST(TestSaving)
#include "test_saving.moc"
