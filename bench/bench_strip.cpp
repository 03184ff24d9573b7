// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// The folder strip on a folder of 1000 real photographs: from Ctrl+F9 to every thumbnail in view
// drawn, with the desktop's shared thumbnail cache cold (each photo decoded at a reduced size in
// the decoding helper, and stored) against the same with the cache warm, in a fresh window; the
// worst step through the folder with the strip making thumbnails against the worst without it;
// and what the strip holds after a scroll through the whole folder.
// Usage: bench_strip PHOTO_FOLDER   (bench/setup.sh prints one)

#include "benchplatform.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <cstdio>
#include <unistd.h>

using namespace tovik;
using namespace tovik::bench;

namespace {
constexpr int Photos = 1000;

// Photos links in a folder of their own to the photographs of source, taken in turn.
QString folderOfPhotos(const QString& source, const QTemporaryDir& into) {
    const QStringList names = QDir(source).entryList({"*.jpg", "*.JPG"}, QDir::Files);
    if (names.isEmpty())
        return {};
    for (int i = 0; i < Photos; ++i) {
        const QString from = source + u'/' + names[i % names.size()];
        const QString to = into.filePath(QStringLiteral("%1.jpg").arg(i, 4, 10, QLatin1Char('0')));
        if (::link(QFile::encodeName(from), QFile::encodeName(to)) != 0 && !QFile::copy(from, to))
            return {};
    }
    return into.path();
}

void settle(frmShowTell& window) {
    while (window.unfinished)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    window.picturesAhead.waitForDecodes();
    QCoreApplication::processEvents();
}

// A window on the folder's first photo, as wide as the screen allows up to 1100 pixels.
void openFolder(BenchViewer& viewer, const QString& folder) {
    viewer.window.resize(1100, 800);
    viewer.window.show();
    viewer.commands.filesGiven(viewer.window, {folder + QStringLiteral("/0000.jpg")});
    settle(viewer.window);
}

// From Ctrl+F9 to every thumbnail in view made and the strip drawn.
double stripShownMs(BenchViewer& viewer) {
    QElapsedTimer t;
    t.start();
    QTest::keyClick(&viewer.window, Qt::Key_F9, Qt::ControlModifier);
    while (!viewer.window.Strip->inViewMade())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    viewer.window.Strip->repaint();
    return t.nsecsElapsed() / 1e6;
}

double stripInFreshWindow(const QString& folder, const QString& cache) {
    BenchViewer viewer(cache);
    openFolder(viewer, folder);
    return stripShownMs(viewer);
}

// The longest of 15 steps forward, each until the full picture is drawn.
double worstStepMs(frmShowTell& window) {
    double worst = 0;
    for (int i = 0; i < 15; ++i) {
        QElapsedTimer t;
        t.start();
        QTest::keyClick(&window, Qt::Key_Right);
        while (window.unfinished)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        window.imgTwo->repaint();
        worst = std::max(worst, t.nsecsElapsed() / 1e6);
        QTest::qWait(40); // a person's pace, as the strip goes on making thumbnails
    }
    return worst;
}

// The whole folder scrolled through a notch at a time; the most thumbnails held on the way.
qsizetype mostHeldScrolling(FolderStrip& strip) {
    qsizetype most = 0;
    while (strip.lastInView() < Photos - 1) {
        QWheelEvent notch(QPointF(10, 10), strip.mapToGlobal(QPointF(10, 10)), {}, {0, -120 * 5},
                          Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&strip, &notch);
        while (!strip.inViewMade())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        most = std::max(most, strip.held());
    }
    return most;
}
} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_strip PHOTO_FOLDER\n");
        return 2;
    }
    QTemporaryDir links;
    const QString folder = folderOfPhotos(QString::fromLocal8Bit(argv[1]), links);
    if (folder.isEmpty()) {
        std::fprintf(stderr, "no photographs in %s\n", argv[1]);
        return 2;
    }
    // Each the best of three fresh windows, the cold ones each on a cache of their own.
    double cold = 1e300, warm = 1e300;
    for (int run = 0; run < 3; ++run) {
        QTemporaryDir empty;
        cold = std::min(cold, stripInFreshWindow(folder, empty.path()));
    }
    QTemporaryDir cache;
    stripInFreshWindow(folder, cache.path());
    for (int run = 0; run < 3; ++run)
        warm = std::min(warm, stripInFreshWindow(folder, cache.path()));
    // The same photographs stepped through twice, at two places in the folder a lap of them
    // apart, the second time with the strip making their thumbnails (its cache is cold there).
    BenchViewer viewer(cache.path());
    openFolder(viewer, folder);
    const int lap = int(QDir(QString::fromLocal8Bit(argv[1])).entryList({"*.jpg", "*.JPG"}).size());
    const auto stepFrom = [&](int first) {
        viewer.commands.filesGiven(viewer.window, {folder + QStringLiteral("/%1.jpg").arg(
                                                                first, 4, 10, QLatin1Char('0'))});
        settle(viewer.window);
    };
    stepFrom(100);
    const double alone = worstStepMs(viewer.window);
    stepFrom(100 + 2 * lap);
    stripShownMs(viewer);
    const double beside = worstStepMs(viewer.window);
    const qsizetype most = mostHeldScrolling(*viewer.window.Strip);
    FolderStrip& strip = *viewer.window.Strip;
    std::printf("folder strip on %d photographs, %d thumbnails in view:\n", Photos,
                strip.lastInView() - strip.firstInView() + 1);
    printRatio("strip: cold cache, against warm", cold, warm);
    printRatio("strip: warm cache, against cold", warm, cold);
    printRatio("strip: worst step while it makes thumbnails", beside, alone);
    std::printf("strip: at most %lld thumbnails held scrolling through %d\n",
                static_cast<long long>(most), Photos);
    return 0;
}
