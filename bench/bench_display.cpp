// Open-to-drawn of a 24-megapixel photo through Display, a zoom-in redraw and 100 scroll steps,
// against an in-process TurboJPEG decode of the same file measured in the same run.

#include "benchplatform.h"
#include "benchsupport.h"
#include "viewing/display.h"
#include "viewing/zoom.h"

#include <QApplication>
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

double referenceDecodeMs(const QString& path) {
    return bestMs(3, [&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        const QByteArray jpeg = file.readAll();
        tjhandle tj = tjInitDecompress();
        std::vector<unsigned char> pixels(std::size_t(Width) * Height * 4);
        tjDecompress2(tj, reinterpret_cast<const unsigned char*>(jpeg.constData()),
                      (unsigned long)jpeg.size(), pixels.data(), Width, 0, Height, TJPF_BGRX, 0);
        tjDestroy(tj);
    });
}
} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    BenchViewer viewer;
    const QString path = viewer.writePhoto(Width, Height);
    frmShowTell& window = viewer.window;
    window.resize(1024, 768);
    window.show();
    QCoreApplication::processEvents();

    // Memory first, before the reference's own buffer raises the high-water mark.
    const qint64 before = residentBytes();
    const auto show = [&] {
        tovik::Display(window, path);
        QCoreApplication::processEvents();
    };
    show();
    const qint64 peak = peakResidentBytes();
    const double reference = referenceDecodeMs(path);
    const double display = bestMs(3, show);
    const double zoom = bestMs(1, [&] { ZoomIn(window); });
    const double scroll = bestMs(1, [&] {
        for (int i = 0; i < 100; ++i) {
            window.HScroll1->setValue(window.HScroll1->value() + window.HScroll1->singleStep());
            QCoreApplication::processEvents();
        }
    });

    std::printf("picture %d x %d, JPEG, best of 3\n", Width, Height);
    printRatio("Display at zoom 1 (target <= 1.3)", display, reference);
    printRatio("zoom-in redraw to 1.25", zoom, reference);
    printRatio("100 scroll steps", scroll, reference);
    std::printf("surface after zoom-in %d x %d\n", window.imgOne->width(), window.imgOne->height());
    const double decoded = double(Width) * Height * 4;
    std::printf("peak memory above start at zoom 1 %8.1f MB   decoded picture %8.1f MB   ratio "
                "%.2f (target <= 2.5)\n",
                (peak - before) / 1e6, decoded / 1e6, (peak - before) / decoded);
    window.close();
    return 0;
}
