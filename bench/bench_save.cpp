// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// Save As of a 24-megapixel picture: the whole JPEG path (scratch bitmap, load, encode, durable
// write) at quality 80 and the bitmap path, against a plain in-process TurboJPEG encode of the
// same pixels from memory with a durable write (write, fsync) of its bytes, measured in the same
// run.

#include "benchplatform.h"
#include "benchsupport.h"
#include "imaging/bitmap.h"
#include "imaging/pictures.h"
#include "saving/saveas.h"
#include "viewing/display.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <turbojpeg.h>

#include <algorithm>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

using namespace tovik;
using namespace tovik::bench;

namespace {
constexpr int Width = 6000, Height = 4000;

// A bare encode of the pixels and, unless only encoding, a durable write of its bytes: written,
// then flushed to the device.
double referenceMs(const QImage& picture, const QString& path, bool encodeOnly) {
    return bestMs(3, [&] {
        tjhandle tj = tjInitCompress();
        unsigned char* jpeg = nullptr;
        unsigned long size = 0;
        tjCompress2(tj, picture.constBits(), picture.width(), int(picture.bytesPerLine()),
                    picture.height(), TJPF_BGRX, &jpeg, &size, TJSAMP_420, 80, 0);
        if (!encodeOnly) {
            const int fd = ::open(QFile::encodeName(path).constData(),
                                  O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            if (fd >= 0 && ::write(fd, jpeg, size) == ssize_t(size))
                ::fsync(fd);
            if (fd >= 0)
                ::close(fd);
        }
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
    FinishPicture(window); // the full picture, not its preview, as Save As waits for it
    state.JPGQuality = 80;

    const QImage shown = window.renderDrawing();
    const double encode = referenceMs(shown, {}, true);
    const double reference = referenceMs(shown, viewer.folder.filePath("reference.jpg"), false);
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

    std::printf("picture %d x %d, quality 80, best of 3; the reference: a bare encode of the same "
                "pixels (%.1f ms) and a durable write of its bytes\n",
                shown.width(), shown.height(), encode);
    printRatio("JPEG path (target <= 1.3)", jpegPath, reference);
    printRatio("  its scratch bitmap alone", scratchPart, reference);
    printRatio("  its library load, encode and durable write alone", libraryPart, reference);
    printRatio("bitmap path (a durable write)", bmpPath, reference);
    window.close();
    return 0;
}
