// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/thumbcache/pngtext.h"
#include "imaging/thumbnailcache.h"
#include "support/modernfiles.h"
#include "support/testmain.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

#include <zlib.h>

using namespace tovik;
using namespace tovik::test;
using namespace Qt::Literals::StringLiterals;

namespace {
const QString FailNames = QStringLiteral("tovik-viewer-test");

// A folder with a photo in it, and a cache of the given size beside it.
struct Cached {
    QTemporaryDir folder;
    QString photo = folder.path() + QStringLiteral("/my photo.jpg");
    QString root = folder.path() + QStringLiteral("/thumbnails");
    ThumbnailCache cache{root, ThumbnailCache::Size::Normal, FailNames};

    Cached() { write(photo, photoOf(400, 300, Qt::darkGreen)); }
    static QByteArray photoOf(int width, int height, QColor colour) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(colour);
        return encoded(image, "jpg", 95);
    }
    static void write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QString stored() const { return cache.folder() + u'/' + ThumbnailCache::fileName(photo); }
    QHash<QByteArray, QByteArray> storedText() const {
        QFile file(stored());
        return file.open(QIODevice::ReadOnly) ? pngText(file.readAll()) : decltype(pngText({})){};
    }
    // The stored thumbnail replaced by one of colour that says the same of itself.
    void repaintStored(QColor colour) const {
        QImage image(10, 10, QImage::Format_RGB32);
        image.fill(colour);
        for (auto [key, value] : storedText().asKeyValueRange())
            image.setText(QString::fromLatin1(key), QString::fromLatin1(value));
        QVERIFY(image.save(stored(), "png"));
    }
    void touch(int seconds) const {
        QFile file(photo);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(seconds),
                                 QFileDevice::FileModificationTime));
    }
};

QByteArray chunk(const QByteArray& type, const QByteArray& data) {
    QByteArray out;
    const quint32 length = quint32(data.size());
    for (int shift : {24, 16, 8, 0})
        out += char(length >> shift);
    out += type + data;
    const quint32 crc = quint32(::crc32(::crc32(0, nullptr, 0),
                                        reinterpret_cast<const Bytef*>((type + data).constData()),
                                        uInt(type.size() + data.size())));
    for (int shift : {24, 16, 8, 0})
        out += char(crc >> shift);
    return out;
}

QByteArray deflated(const QByteArray& bytes) {
    QByteArray out(int(compressBound(uLong(bytes.size()))), '\0');
    uLongf length = uLongf(out.size());
    compress(reinterpret_cast<Bytef*>(out.data()), &length,
             reinterpret_cast<const Bytef*>(bytes.constData()), uLong(bytes.size()));
    out.truncate(int(length));
    return out;
}
} // namespace

class TestThumbnailCache : public QObject {
    Q_OBJECT
private slots:
    // The names every program of the desktop finds a file's thumbnail by.
    void namesAreTheDesktopsOwn() {
        QCOMPARE(ThumbnailCache::fileName(QStringLiteral("/home/jens/photos/me.png")),
                 QStringLiteral("c6ee772d9e49320e97ec29a7eb5b1697.png"));
        // As GLib's g_filename_to_uri writes it, ';' and non-ASCII bytes escaped.
        QCOMPARE(ThumbnailCache::uri(QStringLiteral("/a b;[]!$&'()*+,=:@~#?%^{}|`<>\"é\\")),
                 QByteArray("file:///a%20b%3B%5B%5D!$&'()*+,=:@~%23%3F%25%5E%7B%7D%7C%60%3C%3E%22%"
                            "C3%A9%5C"));
    }

    // The first call decodes and stores, for the user's eyes only; the second reads the store.
    void aThumbnailIsStoredAndFoundAgain() {
        Cached c;
        const QImage made = c.cache.thumbnail(c.photo);
        QCOMPARE(made.size(), QSize(128, 96));
        const auto text = c.storedText();
        QCOMPARE(text.value("Thumb::URI"), ThumbnailCache::uri(c.photo));
        QCOMPARE(text.value("Thumb::MTime"),
                 QByteArray::number(QFileInfo(c.photo).lastModified().toSecsSinceEpoch()));
        QCOMPARE(text.value("Thumb::Size"), QByteArray::number(QFileInfo(c.photo).size()));
        QCOMPARE(text.value("Thumb::Image::Width"), QByteArray("400"));
        QCOMPARE(QFileInfo(c.stored()).permissions() & 0x0077, QFileDevice::Permissions());
        QCOMPARE(QFileInfo(c.cache.folder()).permissions() & 0x0077, QFileDevice::Permissions());
        c.repaintStored(Qt::red);
        QCOMPARE(c.cache.thumbnail(c.photo).pixelColor(5, 5), QColor(Qt::red));
        QCOMPARE(QDir(c.cache.folder()).entryList(QDir::Files).size(), 1); // no temporary left
    }

    // A thumbnail stands only for the file as it was: another time, size or file is made again.
    void aThumbnailOfAnotherFileIsMadeAgain() {
        Cached c;
        c.cache.thumbnail(c.photo);
        c.repaintStored(Qt::red);
        c.touch(120);
        QVERIFY(c.cache.cached(c.photo).isNull());
        const QColor remade = c.cache.thumbnail(c.photo).pixelColor(5, 5);
        QVERIFY(qAbs(remade.green() - QColor(Qt::darkGreen).green()) < 8);
        QCOMPARE(c.cache.cached(c.photo).pixelColor(5, 5), remade);

        c.repaintStored(Qt::red);
        Cached::write(c.photo, Cached::photoOf(400, 300, Qt::blue) + QByteArray(100, '\0'));
        c.touch(120); // the same time as before, another size
        QVERIFY(c.cache.cached(c.photo).isNull());
    }

    // A file that is no picture is noted as a failure once, and tried again when it changes.
    void aFailureIsNotedAndForgottenWhenTheFileChanges() {
        Cached c;
        Cached::write(c.photo, "no picture at all");
        QVERIFY(c.cache.thumbnail(c.photo).isNull());
        const QString failed = c.root + QStringLiteral("/fail/") + FailNames + u'/' +
                               ThumbnailCache::fileName(c.photo);
        QFile note(failed);
        QVERIFY(note.open(QIODevice::ReadOnly));
        QCOMPARE(pngText(note.readAll()).value("Thumb::URI"), ThumbnailCache::uri(c.photo));
        Cached::write(c.photo, Cached::photoOf(64, 64, Qt::blue));
        c.touch(120);
        QCOMPARE(c.cache.thumbnail(c.photo).size(), QSize(64, 64)); // smaller than a side: as is
        QVERIFY(!QFile::exists(c.cache.folder() + u'/' + ThumbnailCache::fileName(failed)));
    }

    // Text chunks of each kind are read; lying lengths, endless keywords and a value that
    // inflates past its bound give what is sound and nothing else.
    void pngTextReadsEveryKindAndNoLie() {
        const QByteArray head = "\x89PNG\r\n\x1a\n";
        QByteArray png = head + chunk("tEXt", "Thumb::URI\0file:///a"_ba) +
                         chunk("zTXt", "Thumb::MTime\0\0"_ba + deflated("1700000000")) +
                         chunk("iTXt", "Software\0\0\0en\0\0Tovik"_ba) +
                         chunk("tEXt", "Thumb::URI\0file:///second"_ba) +
                         chunk("zTXt", "Bomb\0\0"_ba + deflated(QByteArray(100000, 'x'))) +
                         chunk("tEXt", "Endless"_ba) + chunk("IEND", {});
        const auto text = pngText(png);
        QCOMPARE(text.value("Thumb::URI"), QByteArray("file:///a"));
        QCOMPARE(text.value("Thumb::MTime"), QByteArray("1700000000"));
        QCOMPARE(text.value("Software"), QByteArray("Tovik"));
        QVERIFY(text.value("Bomb").isEmpty());
        QVERIFY(!text.contains("Endless"));
        QByteArray lying = head + chunk("tEXt", "A\0b"_ba);
        lying[8] = '\xff'; // a length past the end
        QVERIFY(pngText(lying).isEmpty());
        QVERIFY(pngText(png.mid(1)).isEmpty());
        QVERIFY(pngText(png.left(40)).contains("Thumb::URI")); // cut in a later chunk
    }

    // A stored thumbnail that is no picture, or claims a huge one, is made again.
    void aBrokenStoredThumbnailIsMadeAgain() {
        Cached c;
        c.cache.thumbnail(c.photo);
        QByteArray broken;
        {
            QFile file(c.stored());
            QVERIFY(file.open(QIODevice::ReadOnly));
            broken = file.readAll();
        }
        const qsizetype idat = broken.indexOf("IDAT");
        Cached::write(c.stored(), broken.left(idat + 8)); // its pixels cut off
        QVERIFY(c.cache.cached(c.photo).isNull());
        QCOMPARE(c.cache.thumbnail(c.photo).size(), QSize(128, 96));
    }
};

TOVIK_REGISTER_TEST(TestThumbnailCache)
#include "test_thumbnailcache.moc"
