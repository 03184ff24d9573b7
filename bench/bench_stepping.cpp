// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// Stepping forward through five 24-megapixel photos at a person's pace (300 ms between steps):
// the median time from a step to its picture drawn, after the first, against a bare in-process
// TurboJPEG decode of one of them (what every step cost before the next picture was decoded
// ahead), measured in the same run.

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
constexpr int Width = 6000, Height = 4000, Photos = 5;

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
    QStringList photos;
    for (int i = 1; i <= Photos; ++i)
        photos << viewer.writePhoto(Width, Height, QStringLiteral("photo%1.jpg").arg(i));
    frmShowTell& window = viewer.window;
    window.show();
    window.resize(1024, 768);
    QCoreApplication::processEvents();

    OpenFiles(window, photos); // the first picture, decoded as it is asked for
    std::vector<double> steps;
    for (int i = 1; i < Photos; ++i) {
        lookFor(qEnvironmentVariableIntValue("LOOK") ?: 300);
        steps.push_back(bestMs(1, [&] {
            ShowPicture(window, 1);
            window.imgTwo->repaint();
        }));
    }
    std::sort(steps.begin(), steps.end());
    const double median = (steps[1] + steps[2]) / 2;
    const double decode = bareDecodeMs(photos.first());

    std::printf("%d photos of %d x %d, a step every 300 ms; steps after the first:", Photos, Width,
                Height);
    for (double ms : steps)
        std::printf(" %.1f", ms);
    std::printf(" ms\n");
    printRatio("median step to drawn (target <= 30 ms)", median, decode);
    window.close();
    return 0;
}
