// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// A DNG laid out as a camera writes it, its preview a 24-megapixel JPEG: from Display to the first
// paint and to the full picture, against that same JPEG as a file; a sheet's thumbnails of 50
// such DNGs against LibRaw developing each at half size (dcraw_emu -h, two at a time as the
// sheet's two workers read), and again for DNGs that also keep a 1024-pixel preview, as DNG
// converters write them; and the worst step through ten DNGs against the worst through ten
// JPEGs, each shown long enough for the next to be decoded ahead. All measured in the same run.
// Usage: bench_raw   (dcraw_emu from libraw-bin: bench/setup.sh installs it)

#include "benchplatform.h"
#include "imaging/pictures.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QtConcurrent/QtConcurrentMap>

#include <cstdio>
#include <unistd.h>

using namespace tovik;
using namespace tovik::bench;

namespace {
constexpr int Width = 6000, Height = 4000, SheetCount = 50, StepCount = 10;

// The sample script's DNG around the photo: a 12-bit mosaic of the photo's size, the photo as
// its preview.
// With medium, a second, smaller preview beside it, as DNG converters write one.
QString dngAround(const QString& photo, const QString& dng, const QString& medium = {}) {
    QStringList arguments{TOVIK_SAMPLE_SCRIPT,     "dng", dng, QString::number(Width),
                          QString::number(Height), photo};
    if (!medium.isEmpty())
        arguments << medium;
    return QProcess::execute("python3", arguments) == 0 ? dng : QString();
}

// count links to file in a folder of their own: names the viewer has not seen.
QStringList linksTo(const QString& file, const QString& folder, int count) {
    QDir().mkpath(folder);
    QStringList links;
    for (int i = 0; i < count; ++i) {
        links << QStringLiteral("%1/%2.%3")
                     .arg(folder)
                     .arg(i, 3, 10, QLatin1Char('0'))
                     .arg(QFileInfo(file).suffix());
        if (::link(QFile::encodeName(file), QFile::encodeName(links.last())) != 0)
            return {};
    }
    return links;
}

// The sheet's read of each file for its thumbnail at 15 percent, on two workers.
double sheetMs(const QStringList& files) {
    QThreadPool workers;
    workers.setMaxThreadCount(2);
    return bestMs(1, [&] {
        QtConcurrent::blockingMapped(&workers, files, [](const QString& path) {
            return loadThumbnail(path, {0.15f, 15, 15}).image;
        });
    });
}

// dcraw_emu -h on each file, two at a time.
double developMs(const QStringList& files) {
    return bestMs(1, [&] {
        for (qsizetype i = 0; i < files.size(); i += 2) {
            QList<QProcess*> running;
            for (qsizetype j = i; j < std::min(i + 2, files.size()); ++j) {
                auto* process = new QProcess;
                process->start("dcraw_emu", {"-h", "-Z", "/dev/null", files[j]});
                running << process;
            }
            for (QProcess* process : running) {
                process->waitForFinished(-1);
                delete process;
            }
        }
    });
}

// The longest step forward through files, each shown until the next is decoded ahead.
double worstStepMs(BenchViewer& viewer, const QStringList& files) {
    frmShowTell& window = viewer.window;
    viewer.commands.filesGiven(window, {files.first()});
    untilFull(window);
    double worst = 0;
    for (int i = 1; i < files.size(); ++i) {
        window.picturesAhead.waitForDecodes();
        QElapsedTimer t;
        t.start();
        QTest::keyClick(&window, Qt::Key_Right);
        untilFull(window);
        worst = std::max(worst, t.nsecsElapsed() / 1e6);
    }
    return worst;
}
} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (QStandardPaths::findExecutable("dcraw_emu").isEmpty()) {
        std::fprintf(stderr, "dcraw_emu is missing: run bench/setup.sh first\n");
        return 2;
    }
    BenchViewer viewer;
    const QString photo = viewer.writePhoto(Width, Height, "photo.jpg");
    const QString dng = dngAround(photo, viewer.folder.filePath("photo.dng"));
    // In a folder of its own, out of the way of the openings timed below.
    QDir(viewer.folder.path()).mkpath("converted");
    const QString converted = dngAround(photo, viewer.folder.filePath("converted/photo.dng"),
                                        viewer.writePhoto(1024, 683, "converted/medium.jpg"));
    if (dng.isEmpty() || converted.isEmpty()) {
        std::fprintf(stderr, "the sample script could not write the DNG\n");
        return 2;
    }
    frmShowTell& window = viewer.window;
    window.show();
    window.resize(1024, 768);
    QCoreApplication::processEvents();
    tovik::Display(window, photo);
    untilFull(window);
    // Copies, not links: each file opened for the first time, nothing of it remembered.
    const auto copies = [&](const QString& file) {
        QStringList made;
        for (int i = 0; i < 3; ++i) {
            made << viewer.folder.filePath(
                QStringLiteral("copy%1.%2").arg(i).arg(QFileInfo(file).suffix()));
            QFile::copy(file, made.last());
        }
        return made;
    };
    const Opening asJpeg = timeOpening(window, copies(photo));
    const Opening asRaw = timeOpening(window, copies(dng));

    const QStringList sheet = linksTo(dng, viewer.folder.filePath("sheet"), SheetCount);
    const double ours = sheetMs(sheet), developing = developMs(sheet);
    const QStringList sheetConverted =
        linksTo(converted, viewer.folder.filePath("sheet-converted"), SheetCount);
    const double oursConverted = sheetMs(sheetConverted),
                 developingConverted = developMs(sheetConverted);

    const double rawStep =
        worstStepMs(viewer, linksTo(dng, viewer.folder.filePath("raws"), StepCount));
    const double jpegStep =
        worstStepMs(viewer, linksTo(photo, viewer.folder.filePath("jpegs"), StepCount));

    std::printf("DNG of %d x %d, its preview a JPEG of the same size; viewport %d x %d\n", Width,
                Height, window.imgTwo->width(), window.imgTwo->height());
    printRatio("RAW: first paint vs the JPEG's (target <= 1.2)", asRaw.firstPaint,
               asJpeg.firstPaint);
    printRatio("RAW: full picture vs the JPEG's (target <= 1.2)", asRaw.full, asJpeg.full);
    printRatio("RAW: sheet of 50 vs dcraw_emu -h each (target <= 0.1)", ours, developing);
    printRatio("RAW: the same with a 1024-pixel preview too, as converters write", oursConverted,
               developingConverted);
    printRatio("RAW: worst step through 10 vs through JPEGs (target <= 30 ms)", rawStep, jpegStep);
    return 0;
}
