// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "commands/dispatcher.h"
#include "imaging/jpeg/jpegmarkers.h"
#include "imaging/pictures.h"
#include "imaging/reading/picturebudget.h"
#include "platform/workfolder.h"
#include "plugins/heifboxes.h"
#include "plugins/metafile/metafileimage.h"
#include "plugins/metafile/metafilerender.h"
#include "support/hostilefiles.h"
#include "support/modernfiles.h"
#include "support/scopedenvironment.h"
#include "support/testmain.h"
#include "support/viewer.h"
#include "viewing/display.h"

#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QTest>
#include <QtEndian>

#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <future>
#include <thread>
#include <unistd.h>

Q_DECLARE_METATYPE(tovik::test::HeifCodec)

using namespace tovik;
using namespace tovik::test;

namespace {
// A 64 x 48 picture as HEIC or AVIF.
QByteArray stillHeif(HeifCodec codec) {
    QImage still(64, 48, QImage::Format_RGB32);
    still.fill(Qt::darkCyan);
    return heifFile(still, codec);
}

QByteArray saveDcFlood(int count) {
    return wmfFile(2400, 1800, 1200, wmfRecord(0x001E).repeated(count));
}
} // namespace

class TestHostile : public QObject {
    Q_OBJECT
private slots:
    // Each file costs seconds and gigabytes to decode as its first header describes it.
    void costlyFilesAreRefusedBeforeDecoding_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("icon with a huge PNG inside")
            << iconWithPng(16000, 16000) << "bomb.ico"
            << "The picture is too large to open (16000 x 16000 pixels).";
        QTest::newRow("GIF frame larger than its screen")
            << gifWithLargeFrame(65535, 65535) << "bomb.gif"
            << "The picture is too large to open (65535 x 65535 pixels).";
        QTest::newRow("JPEG with a flood of scans")
            << progressiveJpeg(QImage(64, 64, QImage::Format_RGB32), 101) << "scans.jpg"
            << "Invalid Picture Format";
        QTest::newRow("WMF with a flood of SaveDC") << saveDcFlood(100000) << "savedc.wmf"
                                                    << "Invalid Picture Format";
        QTest::newRow("16-bit PNG: 8 bytes a pixel")
            << pngHeader(16384, 16384, 16) << "deep.png"
            << "The picture is too large to open (16384 x 16384 pixels).";
        QTest::newRow("PNG whose size overflows a product")
            << pngHeader(0x80000000u, 0x80000000u, 8) << "overflow.png"
            << "The picture is too large to open (2147483647 x 2147483647 pixels).";
        QTest::newRow("CMYK progressive JPEG: its coefficients")
            << progressiveJpegHeader(16000, 16000, 4) << "cmyk.jpg"
            << "The picture is too large to open (16000 x 16000 pixels).";
        QTest::newRow("animated WebP on a huge canvas")
            << animatedWebp(16383, 16383) << "canvas.webp"
            << "The picture is too large to open (16383 x 16383 pixels).";
        QTest::newRow("animated WebP whose canvases pass the budget")
            << animatedWebp(8192, 8192) << "canvases.webp"
            << "The picture is too large to open (8192 x 8192 pixels).";
        QImage frame(300, 200, QImage::Format_RGB32);
        frame.fill(Qt::red);
        QTest::newRow("WebP frame larger than its canvas")
            << animatedWebpOf({frame, frame}, {100, 100}, {16, 16}) << "frame.webp"
            << "Invalid Picture Format";
        QTest::newRow("TIFF in one strip")
            << oneStripTiff(16000, 16000) << "strip.tif"
            << "The picture is too large to open (16000 x 16000 pixels).";
        const QImage small(64, 64, QImage::Format_RGB32);
        QTest::newRow("HEIC claiming 16000 x 16000")
            << withClaimedHeifSize(heifFile(small, HeifCodec::Hevc), 16000, 16000) << "huge.heic"
            << "The picture is too large to open (16000 x 16000 pixels).";
        QTest::newRow("AVIF claiming 16000 x 16000")
            << withClaimedHeifSize(heifFile(small, HeifCodec::Av1), 16000, 16000) << "huge.avif"
            << "The picture is too large to open (16000 x 16000 pixels).";
        QTest::newRow("JPEG XL on a huge canvas")
            << jxlHeader(100000, 100000) << "huge.jxl"
            << "The picture is too large to open (100000 x 100000 pixels).";
        QTest::newRow("SVG whose uses double 30 levels deep") << svgUseBomb(30) << "uses.svg"
                                                              << "Invalid Picture Format";
        QTest::newRow("SVGZ inflating to 80 MB") << svgzBomb(qint64(80) << 20) << "inflates.svgz"
                                                 << "Invalid Picture Format";
    }
    void costlyFilesAreRefusedBeforeDecoding() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        QFETCH(QString, message);
        // Drawings are stopped at the helper's limit, however slow a sanitized helper is.
        const ScopedEnvironment limit("TOVIK_METAFILE_TIME_LIMIT_MS", "2000");
        Viewer v;
        v.open({"photo.jpg"});
        v.fake.write(name, bytes);
        tovik::Display(v.w(), v.fake.file(name));
        QCOMPARE(v.fake.messages.shown.size(), 1);
        QCOMPARE(v.fake.messages.shown.first().second, message);
        QCOMPARE(v.w().imgThree.picture.size(), QSize(320, 240)); // the previous picture stays
        QVERIFY(!pictureSize(v.fake.file(name)).isValid());       // measured for a sheet
        QVERIFY(loadPictureScaled(v.fake.file(name), {50, 50}).isNull());
    }

    // A HEIF whose boxes claim another size than its coded stream has is no picture, for the
    // window and the sheet alike; nor is one that claims no pixels.
    void heifsWhoseBoxesDisagreeWithTheirStreamAreNone_data() {
        QTest::addColumn<HeifCodec>("codec");
        QTest::addColumn<QSize>("claimed");
        for (const HeifCodec codec : {HeifCodec::Hevc, HeifCodec::Av1})
            for (const QSize claimed :
                 {QSize(9000, 9000), QSize(4096, 4096), QSize(16, 16), QSize(64, 48), QSize(0, 0)})
                QTest::addRow("%s claiming %d x %d", codec == HeifCodec::Hevc ? "HEIC" : "AVIF",
                              claimed.width(), claimed.height())
                    << codec << claimed;
    }
    void heifsWhoseBoxesDisagreeWithTheirStreamAreNone() {
        QFETCH(HeifCodec, codec);
        QFETCH(QSize, claimed);
        Viewer v;
        QImage coded(64, 64, QImage::Format_RGB32);
        coded.fill(Qt::darkCyan);
        v.fake.write("lies.heic",
                     withClaimedHeifSize(heifFile(coded, codec), quint32(claimed.width()),
                                         quint32(claimed.height())));
        const QString path = v.fake.file("lies.heic");
        const PictureError refused = loadPicture(path).error; // its claim may pass the budget
        QVERIFY(refused == PictureError::NotAPicture || refused == PictureError::TooLarge);
        QVERIFY(loadThumbnail(path, {0.5f, 15, 15}).image.isNull());
        if (claimed.isEmpty())
            QVERIFY(!pictureSize(path).isValid());
        v.fake.write("true.heic", heifFile(coded, codec)); // the same stream, sized truly
        QCOMPARE(loadPicture(v.fake.file("true.heic")).image.size(), QSize(64, 64));
    }

    // Metadata no camera writes (a 6 MiB profile in a hundred chunks, a thousand XMP blocks) is
    // dropped before any reader holds it, twice over; the orientation stays, and the picture.
    void aFloodOfMetadataIsDroppedBeforeAnyReaderHoldsIt() {
        Viewer v;
        QImage picture(320, 240, QImage::Format_RGB32);
        picture.fill(qRgb(30, 140, 200));
        QByteArray plain;
        QBuffer out(&plain);
        QVERIFY(out.open(QIODevice::WriteOnly) && picture.save(&out, "JPEG", 95));
        const QByteArray turned = withExifOrientation(plain, 6);
        QCOMPARE(withBoundedMetadata(turned), turned); // an honest file stays as it is
        QByteArray flooded = withIccProfile(turned, QByteArray(qsizetype(6) << 20, '\x42'));
        const QByteArray xmp = QByteArray("\xff\xe1\x10\x00", 4) + QByteArray(0x0ffe, 'x');
        flooded.insert(2, xmp.repeated(1000));
        const QByteArray bounded = withBoundedMetadata(flooded);
        QVERIFY(bounded.size() < turned.size() + 1024);
        v.fake.write("flooded.jpg", flooded);
        const QImage shown = loadPicture(v.fake.file("flooded.jpg")).image;
        QCOMPARE(shown.size(), QSize(240, 320));
        QVERIFY(near(shown.pixel(100, 100), qRgb(30, 140, 200), 3));
    }

    // The window and the sheet size a picture alike: an icon by its image's own header (its
    // directory says 256 x 256 for any larger one), an OS/2 bitmap by its 16-bit core header.
    void theWindowAndTheSheetSizeAPictureAlike_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("size");
        QImage picture(600, 400, QImage::Format_ARGB32);
        picture.fill(qRgb(200, 60, 20));
        QByteArray png;
        QBuffer out(&png);
        out.open(QIODevice::WriteOnly);
        picture.save(&out, "PNG");
        QByteArray icon;
        QDataStream entry(&icon, QIODevice::WriteOnly);
        entry.setByteOrder(QDataStream::LittleEndian);
        entry << quint16(0) << quint16(1) << quint16(1) << quint32(0) << quint16(1) << quint16(32)
              << quint32(png.size()) << quint32(6 + 16); // 0 x 0: "256 or more"
        QTest::newRow("icon holding a 600 x 400 PNG") << icon + png << QSize(600, 400);
        QByteArray core("BM", 2);
        QDataStream header(&core, QIODevice::WriteOnly | QIODevice::Append);
        header.setByteOrder(QDataStream::LittleEndian);
        const int rowBytes = (300 * 3 + 3) / 4 * 4;
        header << quint32(26 + rowBytes * 200) << quint32(0) << quint32(26) << quint32(12)
               << quint16(300) << quint16(200) << quint16(1) << quint16(24);
        QTest::newRow("OS/2 bitmap, 300 x 200")
            << core + QByteArray(rowBytes * 200, '\x40') << QSize(300, 200);
    }
    void theWindowAndTheSheetSizeAPictureAlike() {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, size);
        Viewer v;
        v.fake.write("picture", bytes);
        const QString path = v.fake.file("picture");
        QCOMPARE(loadPicture(path).image.size(), size);
        QCOMPARE(pictureSize(path), size);
        QCOMPARE(loadThumbnail(path, {0.5f, 15, 15}).claimed, size);
    }

    // A HEIF with more items than any camera or panorama writes is answered at once, before
    // libheif reads them all; one within the bound still opens.
    void aHeifWithThousandsOfItemsIsRefusedAtOnce() {
        Viewer v;
        const QByteArray heic = stillHeif(HeifCodec::Hevc);
        v.fake.write("some.heic", withExtraHeifItems(heic, 100));
        QCOMPARE(loadPicture(v.fake.file("some.heic")).image.size(), QSize(64, 48));
        v.fake.write("flood.heic", withExtraHeifItems(heic, int(MostHeifItems)));
        QCOMPARE(loadPicture(v.fake.file("flood.heic")).error, PictureError::NotAPicture);
        QVERIFY(!pictureSize(v.fake.file("flood.heic")).isValid());
    }

    // A grid is budgeted by what its own description assembles, never by what ispe claims: one
    // whose description says more than its boxes is no picture, answered before decoding.
    void aHeifGridIsWhatItsDescriptionAssembles() {
        Viewer v;
        const QByteArray heic = stillHeif(HeifCodec::Hevc); // libheif wraps it in a grid
        const qsizetype grid = heic.indexOf("idat") + 4;
        QCOMPARE(heic.mid(grid, 8), QByteArray("\0\0\0\0\0\x40\0\x30", 8)); // 1 x 1, 64 x 48
        v.fake.write("grid.heic", heic);
        QCOMPARE(loadPicture(v.fake.file("grid.heic")).image.size(), QSize(64, 48));
        for (const quint16 side : {16000, 11000}) {
            v.fake.write("lying.heic", withGridOutputSize(heic, side, side));
            QCOMPARE(loadPicture(v.fake.file("lying.heic")).error, PictureError::NotAPicture);
            QVERIFY(!pictureSize(v.fake.file("lying.heic")).isValid());
        }
    }

    // An AVIF image sequence that holds a still picture too (as avifenc writes one) shows it.
    void anAvifSequenceShowsItsStillPicture() {
        Viewer v;
        QByteArray sequence = stillHeif(HeifCodec::Av1);
        QCOMPARE(sequence.mid(4, 8), QByteArray("ftypavif"));
        sequence.replace(8, 4, "avis"); // the sequence's brand first, the still's among the rest
        v.fake.write("sequence.avif", sequence);
        QCOMPARE(loadPicture(v.fake.file("sequence.avif")).image.size(), QSize(64, 48));
    }

    // An honest animation within its canvas plays; a delay of 10 ms or less shows for 100 ms, as
    // browsers show it, so that no animation burns a core.
    void anAnimatedWebpPlaysWithTinyDelaysAsBrowsersShowThem() {
        QList<QImage> frames;
        for (const QColor colour : {Qt::red, Qt::green, Qt::blue}) {
            frames << QImage(120, 80, QImage::Format_RGB32);
            frames.back().fill(colour);
        }
        Viewer v;
        v.fake.write("anim.webp", animatedWebpOf(frames, {11, 10, 0}, {120, 80}));
        const PictureLoad first = loadPicture(v.fake.file("anim.webp"));
        QVERIFY(first.animated);
        QCOMPARE(first.image.pixel(5, 5), qRgb(255, 0, 0));
        PictureFrames rest(v.fake.file("anim.webp"), first.delayMs);
        QCOMPARE(rest.delayMs(), 11);
        const QList<QPair<QRgb, int>> shown{
            {qRgb(0, 255, 0), 100}, {qRgb(0, 0, 255), 100}, {qRgb(255, 0, 0), 11}};
        for (const auto& [colour, delay] : shown) {
            QCOMPARE(rest.next().pixel(5, 5), colour);
            QCOMPARE(rest.delayMs(), delay);
        }
    }

    void honestFilesOfTheSameKindsStillOpen() {
        QImage gradient(256, 128, QImage::Format_RGB32);
        for (int y = 0; y < gradient.height(); ++y)
            for (int x = 0; x < gradient.width(); ++x)
                gradient.setPixel(x, y, qRgb(x, y * 2, 128));
        const QByteArray progressive = progressiveJpeg(gradient);
        QVERIFY(jpegScanCount(progressive) >= 6);
        const QByteArray atTheLimit = progressiveJpeg(gradient, 100);
        QCOMPARE(jpegScanCount(atTheLimit), 100);
        QByteArray nested; // saved and restored states, as drawing programs write them
        for (int i = 0; i < 2000; ++i)
            nested += wmfRecord(0x001E) + wmfRecord(0x001E) + wmfRecord(0x0127, {-2});
        Viewer v;
        for (const auto& [name, bytes] : {std::pair{"progressive.jpg", progressive},
                                          {"limit.jpg", atTheLimit},
                                          {"nested.wmf", wmfFile(2400, 1800, 1200, nested)},
                                          {"uses.svg", svgUseBomb(4)},
                                          {"small.svgz", svgzBomb(100000)}}) {
            v.fake.write(name, bytes);
            const PictureLoad load = loadPicture(v.fake.file(name));
            QVERIFY2(load.error == PictureError::None, name);
        }
        QCOMPARE(loadPicture(v.fake.file("progressive.jpg")).image.size(), QSize(256, 128));
        QCOMPARE(loadPicture(v.fake.file("nested.wmf")).image.size(), QSize(192, 144));
        QCOMPARE(loadPicture(v.fake.file("small.svgz")).image.pixel(5, 5), qRgb(0, 0, 0));
        QCOMPARE(pictureSize(v.fake.file("small.svgz")), QSize(10, 10));
    }

    void largeJpegsGetFewerPasses() {
        const QSize large(8192, 8192); // 67 megapixels: 32 passes fit in the budget
        QVERIFY(scansWithinBudget({.largest = large, .jpegScans = 32}));
        QVERIFY(!scansWithinBudget({.largest = large, .jpegScans = 33}));
        // Fixed numbers, not the constant: a limit raised by mistake must fail here.
        QVERIFY(scansWithinBudget({.largest = {100, 100}, .jpegScans = 100}));
        QVERIFY(!scansWithinBudget({.largest = {1, 1}, .jpegScans = 101}));
    }

    void hugeMetafilesAreDrawnSmaller() {
        Viewer v;
        // 16383 units at 56 to the inch: 28086 pixels square as asked, 2560 as drawn.
        v.fake.write("box.wmf", wmfFile(16383, 16383, 56, wmfFilledBox(16383, 16383)));
        const PictureLoad box = loadPicture(v.fake.file("box.wmf"));
        QCOMPARE(box.error, PictureError::None);
        QCOMPARE(box.image.size(), QSize(2560, 2560));
        QCOMPARE(box.image.pixel(1280, 1280) & 0xffffff, 0xff0000u);
        v.fake.write("wide.wmf", wmfFile(16000, 4000, 96, wmfFilledBox(16000, 4000)));
        QCOMPARE(loadPicture(v.fake.file("wide.wmf")).image.size(), QSize(2560, 640));
    }

    // libwmf follows this maze's fill one pixel deeper each step: in the viewer's own process
    // the stack overflows and the viewer dies with it.
    void aMetafileThatCrashesItsLibraryIsNoPicture() {
        Viewer v;
        v.fake.write("maze.wmf", wmfFile(2500, 2500, 96, wmfMaze(2500)));
        v.open({"photo.jpg", "maze.wmf", "static.gif"});
        v.w().Toolbar1->click(ClockTimerButton);
        emit v.w().Timer1.Timer(); // the slide show steps onto it
        QCOMPARE(v.fake.messages.shown.size(), 1);
        QCOMPARE(v.fake.messages.shown.first().second, QString("Invalid Picture Format"));
        emit v.w().Timer1.Timer();
        QCOMPARE(v.shownName(), QString("static.gif")); // the last: the show has ended
        v.w().Toolbar1->click(ClockTimerButton);
        v.w().Toolbar1->click(ClockTimerButton); // started and stopped: thumbnails usable again
        v.generate("50", "640");                 // a sheet leaves it out and names it
        QCOMPARE(v.fake.messages.shown.size(), 2);
        QVERIFY(v.fake.messages.shown.last().second.contains("maze.wmf"));
        QCOMPARE(v.state.PictureCount, 4);
    }

    // Found by fuzzing: libemf2svg reads a header's description wherever the header says it is.
    void metafileHeadersAreCheckedBeforeTheLibrariesReadThem() {
        QFile file(QStringLiteral(TOVIK_TESTDATA "/drawing.emf"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray honest = file.readAll();
        const auto check = [](const QByteArray& emf) {
            return metafile::emfWithinBudget(reinterpret_cast<const unsigned char*>(emf.data()),
                                             std::size_t(emf.size()));
        };
        QVERIFY(check(honest));
        // Past the file, inside the file header, past the header, and no end to a count of 0.
        for (const auto& [count, offset] :
             {std::pair{0u, 129u}, {4u, 86u}, {40u, 88u}, {0u, 88u}}) {
            QByteArray bad = honest;
            qToLittleEndian<quint32>(count, bad.data() + 60);
            qToLittleEndian<quint32>(offset, bad.data() + 64);
            QVERIFY(!check(bad));
        }
        // A count of 0 and the first string ended inside the header, the second not.
        QVERIFY(!check(QByteArray::fromBase64("AQAAAFoAAAAAAAAAAAAAAMcAAACVAAAAAAAAAAAAAACsFAAAgQ8A"
                                              "ACBFTUYAAAECAAAAABcAAAAHAAAAAAAAAFgA"
                                              "AAAAAAAAAAAAAMcAAACVAAAAAAAAAAAAfw==")));
    }

    void honestMetafilesLookAsWhenDrawnInProcess() {
        for (const QString name : {"drawing.wmf", "drawing.emf"}) {
            QFile file(QStringLiteral(TOVIK_TESTDATA "/") + name);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            const QImage outside = renderMetafileOutside(bytes);
            QVERIFY(!outside.isNull());
            QCOMPARE(outside, renderMetafile(bytes).convertToFormat(outside.format()));
        }
    }

    // Stand-ins for the helper, each a shell script; a 1 x 1 answer is "TVKM", the width and
    // the height, and one pixel.
    void aHelperThatFailsInAnyWayMeansNoPicture_data() {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<bool>("shown");
        const QByteArray answer =
            "printf 'TVKM\\001\\000\\000\\000\\001\\000\\000\\000\\377\\000\\000\\377'\n";
        QTest::newRow("answers and ends well") << answer << true;
        QTest::newRow("killed mid-drawing") << QByteArray("kill -KILL $$\n") << false;
        QTest::newRow("answers, then dies of a signal") << answer + "kill -SEGV $$\n" << false;
        QTest::newRow("answers without end")
            << QByteArray(
                   "printf 'TVKM\\000\\012\\000\\000\\000\\012\\000\\000'\nexec cat /dev/zero\n")
            << false;
        QTest::newRow("claims more than a drawing can be")
            << QByteArray("printf 'TVKM\\377\\377\\000\\000\\001\\000\\000\\000'\n") << false;
        QTest::newRow("never answers") << QByteArray("exec sleep 60\n") << false;
    }
    void aHelperThatFailsInAnyWayMeansNoPicture() {
        QFETCH(QByteArray, script);
        QFETCH(bool, shown);
        Viewer v;
        v.fake.copySamples({"drawing.wmf"});
        v.fake.write("stand-in.sh", "#!/bin/sh\n" + script);
        QFile(v.fake.file("stand-in.sh")).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        const ScopedEnvironment helper("TOVIK_METAFILE_HELPER",
                                       QFile::encodeName(v.fake.file("stand-in.sh")));
        // its wall clock, not its CPU time
        const ScopedEnvironment limit("TOVIK_METAFILE_TIME_LIMIT_MS", "500");
        QElapsedTimer clock;
        clock.start();
        const PictureLoad load = loadPicture(v.fake.file("drawing.wmf"));
        QCOMPARE(load.error, shown ? PictureError::None : PictureError::NotAPicture);
        QVERIFY(clock.elapsed() < 3000);
        if (shown)
            QCOMPARE(load.image.pixel(0, 0), qRgb(0, 0, 0xff));
        qputenv("TOVIK_METAFILE_HELPER", QFile::encodeName(v.fake.file("missing")));
        QCOMPARE(loadPicture(v.fake.file("drawing.wmf")).error, PictureError::NotAPicture);
    }

    void specialFilesNeverBlock() {
        Viewer v;
        const QString fifo = v.fake.file("fifo.jpg");
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        // No writer ever comes: an open that waits for one would never return. Asked on a
        // thread of its own, so that such an open fails this test within seconds, not the suite.
        std::promise<bool> refused;
        std::future<bool> answer = refused.get_future();
        std::thread asking([&] {
            refused.set_value(loadPicture(fifo).error == PictureError::NotAPicture &&
                              !pictureSize(fifo).isValid() &&
                              loadPictureScaled(fifo, {10, 10}).isNull());
        });
        const bool inTime = answer.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
        while (answer.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
            if (const int writer =
                    ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
                writer >= 0)
                ::close(writer); // lets a waiting open go
        asking.join();
        QVERIFY(inTime);
        QVERIFY(answer.get());
        QCOMPARE(loadPicture(v.fake.folder.path()).error, PictureError::Missing);
        QCOMPARE(loadPicture("/dev/zero").error, PictureError::NotAPicture);
        QCOMPARE(loadPicture(v.fake.file("no such.jpg")).error, PictureError::Missing);
        // Stepped onto in a list, a link to a device is no picture, said as any other is.
        QVERIFY(QFile::link("/dev/zero", v.fake.file("zero.jpg")));
        v.open({"photo.jpg", "zero.jpg"});
        QTest::keyClick(&v.w(), Qt::Key_PageUp);
        QCOMPARE(v.fake.messages.shown.value(0).second, QStringLiteral("Invalid Picture Format"));
        // A file that says it holds nothing and never ends is read no further than it says.
        QVERIFY(QFile::link("/proc/self/pagemap", v.fake.file("pagemap.jpg")));
        QCOMPARE(loadPicture(v.fake.file("pagemap.jpg")).error, PictureError::NotAPicture);
        QVERIFY(!pictureSize(v.fake.file("pagemap.jpg")).isValid());
    }

    void twoViewersInOneFolderKeepTheirOwnWorkFiles() {
        FakePlatform fake;
        auto first = std::make_unique<WorkFolder>(fake.folder.path(), fake.folder.path());
        QCOMPARE(first->path(), fake.folder.path());
        fake.write("tempnail.bmp", "the first viewer's sheet");
        {
            const WorkFolder second(fake.folder.path(), fake.folder.path());
            QVERIFY(second.path() != fake.folder.path());
            ViewerState state;
            fake.platform.workFolder = second.path();
            Dispatcher commands;
            frmShowTell window(fake.platform, state, commands);
            QFile(fake.platform.workFile(SheetFileName)).open(QIODevice::WriteOnly);
            window.close(); // its own sheet goes, the first one's stays
            QVERIFY(!QFile::exists(fake.platform.workFile(SheetFileName)));
        }
        QCOMPARE(fake.read("tempnail.bmp"), QByteArray("the first viewer's sheet"));
        first.reset(); // the folder is free again: the next viewer owns it
        QCOMPARE(WorkFolder(fake.folder.path(), fake.folder.path()).path(), fake.folder.path());
    }

    // Killed viewers: one that owned the folder, mid-save, and a second one with a private
    // folder. A live second viewer is writing its settings meanwhile.
    void theNextStartTidiesWhatKilledViewersLeftAndNothingElse() {
        FakePlatform fake;
        QTemporaryDir temp;
        const ScopedEnvironment tmpdir("TMPDIR", QFile::encodeName(temp.path()));
        const WorkFolder holder(temp.path(), temp.path()); // the viewers below start second
        // Each a process of its own, ended with the test however it ends.
        struct SecondViewer {
            SecondViewer() : pid(::fork()) {
                if (pid != 0)
                    return;
                WorkFolder second(QDir::tempPath(), QDir::tempPath());
                ::pause();
            }
            ~SecondViewer() { kill(); }
            void kill() const {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, nullptr, 0);
            }
            const pid_t pid;
        };
        const SecondViewer live, killed;
        QTRY_COMPARE(QDir(temp.path()).entryList({"tovik-viewer-*"}, QDir::Dirs).size(), 2);
        killed.kill();
        const QString liveTemporary = QString("viewer.ini.tovik-%1-a1b2").arg(live.pid);
        for (const char* name :
             {"tempnail.bmp", "~temp.bmp", "tempnail.bmp.tovik-1-x", "~temp.bmp.tovik-7-y",
              "viewer.ini.tovik-1x2y3z", "viewer.ini.AbC123", "viewer.ini.bak"})
            fake.write(name, "left");
        fake.write(QString("viewer.ini.tovik-%1-c3d4").arg(killed.pid), "left");
        fake.write(liveTemporary, "being written");

        const WorkFolder first(fake.folder.path(), fake.folder.path());
        QCOMPARE(fake.filesBut({"viewer.ini.bak", ".tovik-viewer.lock", liveTemporary}),
                 QStringList());
        QCOMPARE(QDir(temp.path()).entryList({"tovik-viewer-*"}, QDir::Dirs).size(), 1);
    }
};

TOVIK_REGISTER_TEST(TestHostile)
#include "test_hostile.moc"
