// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// A 24-megapixel photo, and a 50-megapixel one: from Display to the first paint (its preview) and
// to the full picture drawn, against an in-process TurboJPEG decode of the same file; each Zoom In
// step from 1 to 2.75 and each Zoom Out step back, and one window resize and a scroll step at 2.75,
// each until drawn, against one whole-picture rescale to 2.75 (what a step cost when the program
// kept a full-size scaled copy); peak memory at 2.75 against the decoded picture. All measured in
// the same run.

#include "benchplatform.h"
#include "benchsupport.h"
#include "viewing/display.h"
#include "viewing/zoom.h"

#include <QApplication>
#include <QColorSpace>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>

#include <turbojpeg.h>

#include <cstdio>
#include <vector>

using namespace tovik;
using namespace tovik::bench;

namespace {
constexpr int Width = 6000, Height = 4000;
constexpr int LargeWidth = 8660, LargeHeight = 5773;

// Reading the file and decoding it into memory that is already in place.
double referenceDecodeMs(const QString& path, int width = Width, int height = Height) {
    std::vector<unsigned char> pixels(std::size_t(width) * height * 4, 1);
    return bestMs(3, [&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        const QByteArray jpeg = file.readAll();
        tjhandle tj = tjInitDecompress();
        tjDecompress2(tj, reinterpret_cast<const unsigned char*>(jpeg.constData()),
                      (unsigned long)jpeg.size(), pixels.data(), width, 0, height, TJPF_BGRX, 0);
        tjDestroy(tj);
    });
}

void printOpening(const char* photo, const Opening& opening, double reference) {
    std::printf("%s:\n", photo);
    printRatio("  first paint vs its bare full decode (target <= 0.3)", opening.firstPaint,
               reference);
    printRatio("  full picture drawn vs its bare full decode (target <= 1.15)", opening.full,
               reference);
}

struct Steps {
    double mean = 0, worst = 0;
};

void scrollRight(frmShowTell& window) {
    window.HScroll1->setValue(window.HScroll1->value() + window.HScroll1->singleStep());
}

Steps timeSteps(frmShowTell& window, void (*step)(frmShowTell&), int count) {
    Steps s;
    for (int i = 0; i < count; ++i) {
        const double ms = bestMs(1, [&] {
            step(window);
            drawNow(window);
        });
        s.mean += ms / count;
        s.worst = std::max(s.worst, ms);
    }
    return s;
}
} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    BenchViewer viewer;
    const QString path = viewer.writePhoto(Width, Height);
    frmShowTell& window = viewer.window;
    window.show();
    window.resize(1024, 768);
    QCoreApplication::processEvents();

    // Memory first, before the references' own buffers raise the high-water mark.
    const qint64 before = residentBytes();
    const auto show = [&] {
        tovik::Display(window, path);
        untilFull(window);
    };
    show();
    const Steps in = timeSteps(window, ZoomIn, 7); // 1.25 ... 2.75
    window.HScroll1->setValue(window.HScroll1->maximum() / 2);
    window.VScroll1->setValue(window.VScroll1->maximum() / 2);
    drawNow(window);
    const double resize = bestMs(1, [&] {
        window.resize(1100, 800);
        drawNow(window);
    });
    window.HScroll1->setValue(0);
    const Steps scroll = timeSteps(window, scrollRight, 20);
    const qint64 peak = peakResidentBytes();
    const Steps out = timeSteps(window, ZoomOut, 7); // back to 1

    const double reference = referenceDecodeMs(path);
    const Opening opening = timeOpening(window, QStringList{path});
    const double display = opening.full;
    // The same photo tagged Display P3: its colours converted to the screen's as it is decoded.
    const QString tagged = viewer.folder.filePath("p3.jpg");
    {
        QImage photo(path);
        photo.setColorSpace(QColorSpace::DisplayP3);
        photo.save(tagged, "JPEG", 90);
    }
    const double displayTagged = bestMs(3, [&] {
        tovik::Display(window, tagged);
        untilFull(window);
    });
    show();
    const QImage& picture = window.imgThree.picture;
    const QSize zoomed(qRound(Width * 2.75), qRound(Height * 2.75));
    const double rescale = bestMs(1, [&] {
        const QImage whole =
            picture.scaled(zoomed, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        Q_UNUSED(whole);
    });

    std::printf("picture %d x %d, JPEG; viewport %d x %d\n", Width, Height, window.imgTwo->width(),
                window.imgTwo->height());
    printOpening("24 MP JPEG at zoom 1", opening, reference);
    const QString large = viewer.writePhoto(LargeWidth, LargeHeight, "larger.jpg");
    printOpening("50 MP JPEG at zoom 1", timeOpening(window, QStringList{large}),
                 referenceDecodeMs(large, LargeWidth, LargeHeight));
    printRatio("full picture of it tagged Display P3 vs untagged (target <= 1.15)", displayTagged,
               display);
    std::printf("zoom steps vs one whole-picture rescale to 2.75 (%.0f ms); target <= 20 ms:\n",
                rescale);
    printRatio("  Zoom In 1 -> 2.75, mean step", in.mean, rescale);
    printRatio("  Zoom In 1 -> 2.75, worst step", in.worst, rescale);
    printRatio("  Zoom Out 2.75 -> 1, mean step", out.mean, rescale);
    printRatio("  Zoom Out 2.75 -> 1, worst step", out.worst, rescale);
    printRatio("  one resize at 2.75", resize, rescale);
    printRatio("  scroll step at 2.75, mean", scroll.mean, rescale);
    const double decoded = double(Width) * Height * 4;
    std::printf("peak memory above start through 2.75 %8.1f MB   decoded picture %8.1f MB   ratio "
                "%.2f (target <= 1.5)\n",
                (peak - before) / 1e6, decoded / 1e6, (peak - before) / decoded);
    window.close();
    return 0;
}
