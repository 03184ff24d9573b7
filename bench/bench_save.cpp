// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// Save As of a 24-megapixel picture: the whole JPEG path (scratch bitmap, load, encode, write)
// at quality 80 and the bitmap path, against a plain in-process TurboJPEG encode of the same
// pixels from memory, measured in the same run.

#include "benchplatform.h"
#include "benchsupport.h"
#include "platform/pictures.h"
#include "saving/saveas.h"
#include "viewing/display.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <turbojpeg.h>

#include <algorithm>
#include <cstdio>

using namespace tovik;
using namespace tovik::bench;

namespace {
constexpr int Width = 6000, Height = 4000;

double referenceEncodeMs(const QImage& picture) {
    return bestMs(3, [&] {
        tjhandle tj = tjInitCompress();
        unsigned char* jpeg = nullptr;
        unsigned long size = 0;
        tjCompress2(tj, picture.constBits(), picture.width(), int(picture.bytesPerLine()),
                    picture.height(), TJPF_BGRX, &jpeg, &size, TJSAMP_420, 80, 0);
        tjFree(jpeg);
        tjDestroy(tj);
    });
}
} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    BenchViewer viewer;
    const QString source = viewer.writePhoto(Width, Height);
    frmShowTell& window = viewer.window;
    ViewerState& state = viewer.state;
    window.show();
    tovik::Display(window, source);
    state.JPGQuality = 80;

    const QImage shown = window.renderDrawing();
    const double reference = referenceEncodeMs(shown);
    const QString jpeg = viewer.folder.filePath(QStringLiteral("out.jpg"));
    const QString bmp = viewer.folder.filePath(QStringLiteral("out.bmp"));
    const double jpegPath = bestMs(3, [&] { saveShownAsJpeg(window, jpeg); });
    const double bmpPath = bestMs(3, [&] { saveShownAsBitmap(window, bmp); });
    // The JPEG path's parts: the scratch bitmap, then the library's load and save of it.
    const QString scratch = viewer.platform.workFile(ScratchFileName);
    QString error;
    const double scratchPart =
        bestMs(3, [&] { saveBitmap(shown, 0, scratch, SafeFile::Kind::WorkFile, &error); });
    double libraryPart = 1e300; // on a freshly written scratch file each time, as in a save
    for (int i = 0; i < 3; ++i) {
        saveBitmap(shown, 0, scratch, SafeFile::Kind::WorkFile, &error);
        libraryPart = std::min(libraryPart, bestMs(1, [&] {
                                   viewer.nviewlib.NViewLibLoad(scratch, 0);
                                   viewer.nviewlib.NViewLibSaveAsJPG(80, jpeg);
                               }));
    }

    std::printf("picture %d x %d, quality 80, best of 3\n", shown.width(), shown.height());
    printRatio("JPEG path (target <= 1.5)", jpegPath, reference);
    printRatio("  its scratch bitmap", scratchPart, reference);
    printRatio("  its library load, encode and durable write", libraryPart, reference);
    printRatio("bitmap path (a durable write)", bmpPath, reference);
    window.close();
    return 0;
}
