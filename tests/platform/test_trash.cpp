// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "platform/trash.h"
#include "support/scopedenvironment.h"
#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace tovik;
using namespace tovik::test;

namespace {
dev_t deviceOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_dev;
}

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
}
} // namespace

class TestTrash : public QObject {
    Q_OBJECT
private slots:
    // A file on another file system than the home trash goes to the trash at that file system's
    // top (never copied across), its path there relative; it comes back from it.
    void aFileOnAnotherFileSystemUsesTheTrashAtItsTop() {
        QTemporaryDir home;
        const ScopedEnvironment data("XDG_DATA_HOME", QFile::encodeName(home.path()));
        const QString top = QStringLiteral("/dev/shm");
        if (!QFileInfo(top).isWritable() || deviceOf(top) == deviceOf(home.path()))
            QSKIP("needs a writable file system of its own at /dev/shm");
        QTemporaryDir folder(top + "/tovik-trash-XXXXXX");
        const QString path = folder.filePath("shot 1.png");
        write(path, "pixels");
        const QString ownTrash = top + "/.Trash-" + QString::number(::getuid());
        const bool hadTrash = QFileInfo::exists(ownTrash);
        QString error;
        const std::optional<TrashedFile> trashed = moveToTrash(path, &error);
        QVERIFY2(trashed, qPrintable(error));
        QCOMPARE(QFileInfo(trashed->file).absolutePath(), ownTrash + "/files");
        QCOMPARE(contentsOf(trashed->file), QByteArray("pixels"));
        QVERIFY(contentsOf(trashed->info)
                    .contains(
                        "\nPath=" + QDir(top).relativeFilePath(path).toUtf8().replace(" ", "%20") +
                        "\n"));
        QVERIFY(QDir(home.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size() <= 1);
        QVERIFY(restoreFromTrash(*trashed, &error));
        QCOMPARE(contentsOf(path), QByteArray("pixels"));
        QVERIFY(!QFile::exists(trashed->info));
        if (!hadTrash)
            QDir(ownTrash).removeRecursively();
    }

    // Putting back never overwrites what has taken the file's place meanwhile.
    void restoringRefusesToOverwrite() {
        QTemporaryDir home;
        const ScopedEnvironment data("XDG_DATA_HOME", QFile::encodeName(home.path()));
        const QString path = home.filePath("picture.jpg");
        write(path, "old");
        QString error;
        const std::optional<TrashedFile> trashed = moveToTrash(path, &error);
        QVERIFY(trashed);
        write(path, "new");
        QVERIFY(!restoreFromTrash(*trashed, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(contentsOf(path), QByteArray("new"));
        QCOMPARE(contentsOf(trashed->file), QByteArray("old"));
        QVERIFY(!moveToTrash(home.filePath("gone.jpg"), &error));
    }
};

TOVIK_REGISTER_TEST(TestTrash)
#include "test_trash.moc"
