// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// Stepping through twenty 24-megapixel photos at a person's pace (300 ms between steps), forward
// to the last and back to the first: the worst time and the 95th percentile from a step to its
// picture drawn (the full picture or its preview), after the first, against a bare in-process
// TurboJPEG decode of one of them (what every step cost before pictures were decoded ahead),
// measured in the same run.

#include "benchplatform.h"
#include "benchsupport.h"
#include "viewing/navigation.h"

#include <QApplication>
#include <QFile>
#include <QThread>

#include <turbojpeg.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tovik;
using namespace tovik::bench;

namespace {
constexpr int Width = 6000, Height = 4000, Photos = 20;

double bareDecodeMs(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray jpeg = file.readAll();
    std::vector<unsigned char> pixels(std::size_t(Width) * Height * 4);
    return bestMs(3, [&] {
        tjhandle tj = tjInitDecompress();
        tjDecompress2(tj, reinterpret_cast<const unsigned char*>(jpeg.constData()),
                      (unsigned long)jpeg.size(), pixels.data(), Width, 0, Height, TJPF_BGRX, 0);
        tjDestroy(tj);
    });
}

// A person looking at the picture: the event loop runs, the workers work.
void lookFor(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
}
} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    BenchViewer viewer;
    QStringList photos{viewer.writePhoto(Width, Height, "photo01.jpg")};
    for (int i = 2; i <= Photos; ++i) { // the same photo: each step costs the same
        photos << viewer.folder.filePath(QStringLiteral("photo%1.jpg").arg(i, 2, 10, QChar('0')));
        QFile::copy(photos.first(), photos.last());
    }
    frmShowTell& window = viewer.window;
    window.show();
    window.resize(1024, 768);
    QCoreApplication::processEvents();

    OpenFiles(window, photos); // the first picture, decoded as it is asked for
    const int look = qEnvironmentVariableIntValue("LOOK") ?: 300;
    std::vector<double> steps;
    for (int direction : {1, -1})
        for (int i = 1; i < Photos; ++i) {
            lookFor(look);
            steps.push_back(bestMs(1, [&] {
                ShowPicture(window, direction);
                window.imgTwo->repaint();
            }));
        }
    const std::vector<double> inOrder = steps;
    std::sort(steps.begin(), steps.end());
    const double worst = steps.back();
    const double percentile95 = steps[std::size_t(0.95 * double(steps.size() - 1) + 0.5)];
    const double decode = bareDecodeMs(photos.first());

    std::printf("%d photos of %d x %d, a step every %d ms, forward then back; each step after the "
                "first, in order:\n",
                Photos, Width, Height, look);
    for (double ms : inOrder)
        std::printf(" %.1f", ms);
    std::printf(" ms\n");
    printRatio("worst step to drawn (target <= 30 ms)", worst, decode);
    printRatio("95th percentile step to drawn (target <= 30 ms)", percentile95, decode);
    window.close();
    return 0;
}
