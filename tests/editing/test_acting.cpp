// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "core/dialogtext.h"
#include "imaging/pictures.h"
#include "support/scopedenvironment.h"
#include "support/testmain.h"
#include "support/viewer.h"

#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QImageWriter>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace tovik;
using namespace tovik::test;

namespace {
QByteArray jpegOf(int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QPainter(&image).fillRect(0, 0, width / 3, height / 3, Qt::black);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // Huffman tables of its own, as cameras and editors write them: a lossless turn back alone
    // would not give these bytes back.
    QImageWriter writer(&buffer, "jpg");
    writer.setOptimizedWrite(true);
    writer.write(image);
    return bytes;
}

// The viewer over three photos of its own in a folder, with its own trash.
struct Culling : Viewer {
    QTemporaryDir data;
    ScopedEnvironment trashHome{"XDG_DATA_HOME", QFile::encodeName(data.path())};
    QStringList paths;

    explicit Culling(int count = 3) {
        for (int i = 0; i < count; ++i) {
            const QString name = QStringLiteral("p%1.jpg").arg(i + 1);
            fake.write(name, jpegOf(64 + 16 * i, 48, QColor::fromHsv(i * 90, 200, 200)));
            paths << fake.file(name);
        }
        fake.dialogs.fileAnswers << FileAnswer{DialogResult::Accepted, selectedFilesText(paths)};
        w().Toolbar1->click(OpenButton);
    }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(&w(), key, modifiers);
    }
    QSize shownSize() const { return window->imgThree.picture.size(); }
    QString trashed(const QString& name) const { return data.filePath("Trash/files/" + name); }
};
} // namespace

class TestActing : public QObject {
    Q_OBJECT
private slots:
    // Delete moves the file into the trash with its .trashinfo and shows the next; Undo puts it
    // back in its folder and its place in the list, and shows it.
    void deleteTrashesAndUndoPutsBack() {
        Culling v;
        v.key(Qt::Key_Right);
        QCOMPARE(v.w().shownFile(), v.paths[1]);
        v.key(Qt::Key_Delete);
        QVERIFY(!QFile::exists(v.paths[1]));
        QVERIFY(QFile::exists(v.trashed("p2.jpg")));
        QFile info(v.data.filePath("Trash/info/p2.jpg.trashinfo"));
        QVERIFY(info.open(QIODevice::ReadOnly));
        const QByteArray text = info.readAll();
        QVERIFY(text.startsWith("[Trash Info]\nPath=" + QUrl::toPercentEncoding(v.paths[1], "/")));
        QVERIFY(text.contains("\nDeletionDate=20"));
        QCOMPARE(v.state.PictureCount, 2);
        QCOMPARE(v.w().shownFile(), v.paths[2]);
        QVERIFY(v.w().noticeText().contains("p2.jpg"));
        v.key(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(QFile::exists(v.paths[1]));
        QVERIFY(!info.exists());
        QCOMPARE(v.state.PictureCount, 3);
        QCOMPARE(v.w().shownFile(), v.paths[1]);
        QVERIFY(v.fake.messages.shown.isEmpty());
    }

    // At the end the previous picture shows; the last one gone clears the viewer as Close File
    // does; and Undo brings the list back, last step first.
    void deletingToTheEndAndBack() {
        Culling v(2);
        v.key(Qt::Key_End);
        v.key(Qt::Key_Delete);
        QCOMPARE(v.w().shownFile(), v.paths[0]);
        v.key(Qt::Key_Delete);
        QCOMPARE(v.state.PictureCount, 0);
        QVERIFY(!v.w().pictureLoaded());
        QCOMPARE(v.buttonStates(), QString("000000000"));
        v.key(Qt::Key_Z, Qt::ControlModifier);
        v.key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(v.state.PictureCount, 2);
        QCOMPARE(v.state.PictureList(1), v.paths[0]);
        QCOMPARE(v.state.PictureList(2), v.paths[1]);
        QCOMPARE(v.w().shownFile(), v.paths[1]);
    }

    // Two files of one name trashed from one place keep both; one whose folder cannot be
    // written is named in a message and stays where it is.
    void trashKeepsBothOfOneNameAndRefusesWhatItCannotMove() {
        Culling v;
        const QByteArray first = v.fake.read("p1.jpg");
        v.key(Qt::Key_Delete);
        v.fake.write("p1.jpg", jpegOf(16, 16, Qt::red));
        v.commands.filesGiven(v.w(), {v.paths[0]});
        v.key(Qt::Key_Delete);
        QFile kept(v.trashed("p1.jpg"));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), first);
        QVERIFY(QFile::exists(v.trashed("p1.2.jpg")));
        if (::geteuid() == 0)
            return; // root writes any folder
        const QByteArray folder = QFile::encodeName(v.fake.folder.path());
        ::chmod(folder.constData(), 0555);
        v.key(Qt::Key_Delete);
        ::chmod(folder.constData(), 0755);
        QCOMPARE(v.fake.messages.shown.size(), 1);
        QVERIFY(v.fake.messages.shown.first().second.contains(v.w().shownFile()));
        QVERIFY(QFile::exists(v.w().shownFile()));
    }

    // Shift+Delete asks first; No keeps the file, Yes deletes it for good, not into the trash.
    void deleteForGoodAsksFirst() {
        Culling v;
        v.key(Qt::Key_Delete, Qt::ShiftModifier);
        QVERIFY(QFile::exists(v.paths[0]));
        v.fake.messages.confirmAnswers << true;
        v.key(Qt::Key_Delete, Qt::ShiftModifier);
        QVERIFY(!QFile::exists(v.paths[0]));
        QVERIFY(!QFile::exists(v.trashed("p1.jpg")));
        QCOMPARE(v.w().shownFile(), v.paths[1]);
        QCOMPARE(v.fake.messages.shown.size(), 2); // the two questions
    }

    // Ctrl+R turns the file and the picture on screen at once; Ctrl+Shift+R and Ctrl+Z turn it
    // back; the sheet and a metafile cannot be turned.
    void turningShowsAtOnceAndUndoes() {
        Culling v;
        const QByteArray original = v.fake.read("p1.jpg");
        v.key(Qt::Key_R, Qt::ControlModifier);
        QCOMPARE(v.shownSize(), QSize(48, 64));
        QCOMPARE(loadPicture(v.paths[0]).image.size(), QSize(48, 64));
        v.key(Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(v.shownSize(), QSize(64, 48));
        v.key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(v.shownSize(), QSize(48, 64));
        v.key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(v.shownSize(), QSize(64, 48));
        QCOMPARE(v.fake.read("p1.jpg"), original); // its very bytes, not only its pixels
        QVERIFY(v.state.Undo.empty());
        QVERIFY(v.fake.filesBut({}).filter(UndoCopyPrefix).isEmpty()); // no copy left behind
        QVERIFY(v.fake.messages.shown.isEmpty());
        v.w().Edit_Click();
        QVERIFY(v.w().RotateClockwise->isEnabled());
        QVERIFY(!v.w().Undo->isEnabled());
        v.open({"drawing.wmf"});
        v.w().Edit_Click();
        QVERIFY(!v.w().RotateClockwise->isEnabled() && !v.w().FlipVertical->isEnabled());
    }

    // A file changed since it was turned is turned back as it now is, its change kept.
    void undoTurnsBackAFileChangedSince() {
        Culling v;
        v.key(Qt::Key_R, Qt::ControlModifier);
        v.fake.write("p1.jpg", jpegOf(30, 20, Qt::blue)); // an editor saves over it
        v.key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(loadPicture(v.paths[0]).image.size(), QSize(20, 30));
        QCOMPARE(v.shownSize(), QSize(20, 30));
    }

    // Ctrl+C gives the picture and its file; Ctrl+Shift+C its path.
    void copyOffersThePictureAndTheFile() {
        Culling v;
        v.key(Qt::Key_C, Qt::ControlModifier);
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data->hasImage());
        QCOMPARE(qvariant_cast<QImage>(data->imageData()).size(), QSize(64, 48));
        QCOMPARE(data->urls(), QList<QUrl>{QUrl::fromLocalFile(v.paths[0])});
        QCOMPARE(data->data("x-special/gnome-copied-files"),
                 "copy\n" + QUrl::fromLocalFile(v.paths[0]).toEncoded());
        v.key(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), v.paths[0]);
    }

    // Ctrl+P prints the picture on one page of a PDF, the page turned to suit it; a cancelled
    // dialog prints nothing.
    void printWritesAPageToPdf() {
        Culling v;
        v.key(Qt::Key_P, Qt::ControlModifier);
        const QString pdf = v.fake.file("printed.pdf");
        QVERIFY(!QFile::exists(pdf));
        v.fake.dialogs.printTo = pdf;
        v.key(Qt::Key_P, Qt::ControlModifier);
        QFile out(pdf);
        QVERIFY(out.open(QIODevice::ReadOnly));
        const QByteArray text = out.readAll();
        QVERIFY(text.startsWith("%PDF"));
        QCOMPARE(text.count("/Type /Page\n") + text.count("/Type /Page\r") +
                     text.count("/Type /Page "),
                 1);
        QVERIFY(text.contains("/Subtype /Image"));
        QVERIFY(text.contains("/Width 64"));
        const QRegularExpression box(R"(/MediaBox \[0 0 ([\d.]+) ([\d.]+)\])");
        const QRegularExpressionMatch page = box.match(QString::fromLatin1(text));
        QVERIFY(page.hasMatch());
        QVERIFY(page.captured(1).toDouble() > page.captured(2).toDouble()); // landscape
    }

    // A picture rewritten on disk is shown anew once whole; half written, the old one stays and
    // nothing is said; one that goes gives its place to the next.
    void changesOnDiskAreShown() {
        Culling v;
        QVERIFY(v.w().FolderWatcher.files().contains(v.paths[0]));
        QVERIFY(v.w().FolderWatcher.directories().contains(v.fake.folder.path()));
        const QByteArray replacement = jpegOf(40, 30, Qt::blue);
        v.fake.write("p1.jpg", replacement.left(replacement.size() / 2));
        v.commands.diskChanged(v.w());
        QCOMPARE(v.shownSize(), QSize(64, 48));
        v.fake.write("p1.jpg", replacement);
        v.commands.diskChanged(v.w());
        QCOMPARE(v.shownSize(), QSize(40, 30));
        QVERIFY(v.fake.messages.shown.isEmpty());
        QFile::remove(v.paths[0]);
        v.commands.diskChanged(v.w());
        QCOMPARE(v.w().shownFile(), v.paths[1]);
        QCOMPARE(v.state.PictureCount, 2);
    }

    // A folder opened as a folder takes in pictures added to it and lets go of those removed.
    void aFolderListFollowsItsFolder() {
        Culling v;
        v.commands.filesGiven(v.w(), {v.fake.folder.path()});
        QCOMPARE(v.state.PictureCount, 3);
        v.key(Qt::Key_Right);
        v.fake.write("p0.jpg", jpegOf(20, 20, Qt::green));
        QFile::remove(v.paths[2]);
        v.commands.diskChanged(v.w());
        QCOMPARE(v.state.PictureCount, 3);
        QCOMPARE(v.state.PictureList(1), v.fake.file("p0.jpg"));
        QCOMPARE(v.w().shownFile(), v.paths[1]); // the one shown stays shown
        v.key(Qt::Key_Left);
        QCOMPARE(v.w().shownFile(), v.paths[0]);
    }

    // The screen saver is held off during a slide show and in full screen, and let go after.
    void theScreenStaysAwakeOnlyWhileWatched() {
        Culling v;
        v.w().Toolbar1->click(ClockTimerButton);
        QVERIFY(v.fake.desktop.held);
        v.w().Toolbar1->click(ClockTimerButton);
        QVERIFY(!v.fake.desktop.held);
        v.key(Qt::Key_F11);
        QVERIFY(v.fake.desktop.held);
        v.w().close();
        QCOMPARE(v.fake.desktop.holds, (QList<bool>{true, false, true, false}));
    }

    // Show in Folder asks the file manager; without one, the folder opens.
    void showInFolderFallsBackToTheFolder() {
        Culling v;
        v.w().ShowInFolder->trigger();
        QCOMPARE(v.fake.desktop.shown, QStringList{v.paths[0]});
        QVERIFY(v.fake.shell.opened.isEmpty());
        v.fake.desktop.hasFileManager = false;
        v.w().ShowInFolder->trigger();
        QCOMPARE(v.fake.shell.opened,
                 QStringList{QUrl::fromLocalFile(v.fake.folder.path()).toString()});
    }
};

TOVIK_REGISTER_TEST(TestActing)
#include "test_acting.moc"
