// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// Acting on a 24-megapixel photo: turning it without loss on disk, against jpegtran's
// "-rotate 90 -copy all" and a durable write of its result, measured in the same run; and
// Delete with the next picture on screen, against one step of decoding ahead (a decode of that
// picture), which it must not pass: the next picture is decoded already. And Picture Properties
// of a photo with a camera's EXIF, read in the decoding helper, against Exiv2 reading them in
// this process.

#include "benchplatform.h"
#include "benchsupport.h"
#include "imaging/metadata/exifproperties.h"
#include "imaging/pictures.h"
#include "imaging/turning.h"
#include "support/exiffiles.h"
#include "viewing/display.h"
#include "viewing/navigation.h"
#include "viewing/trash.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

using namespace tovik;
using namespace tovik::bench;

namespace {
constexpr int Width = 6000, Height = 4000;

void flushToDisk(const QString& path, int flags) {
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// jpegtran's lossless turn into a new file, then the file and its folder flushed as a durable
// save flushes them.
double jpegtranMs(const QString& source, const QString& out) {
    return bestMs(3, [&] {
        QProcess::execute("jpegtran", {"-rotate", "90", "-copy", "all", "-outfile", out, source});
        flushToDisk(out, O_RDONLY);
        flushToDisk(QFileInfo(out).absolutePath(), O_RDONLY | O_DIRECTORY);
    });
}

// From the first of three photos, the second decoded ahead: Delete (which shows the second in the
// first's place), undone between runs; and a decode of the second.
void deleteAgainstStep(BenchViewer& viewer) {
    QStringList list;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
        list << viewer.writePhoto(Width, Height, name);
    ViewerState& s = viewer.state;
    frmShowTell& w = viewer.window;
    const auto fromFirst = [&] {
        s.setPictureList(list);
        StartViewing(w);
        FinishPicture(w);
        w.picturesAhead.waitForDecodes();
    };
    double trashed = 1e300;
    for (int run = 0; run < 3; ++run) {
        fromFirst();
        trashed = std::min(trashed, bestMs(1, [&] { MoveToTrashCommand(w); }));
        UndoCommand(w);
    }
    const double decode = bestMs(3, [&] { loadPicture(list[1]); });
    printRatio("delete, next shown (vs one decode ahead)", trashed, decode);
}
} // namespace

int main(int argc, char* argv[]) {
    if (QStandardPaths::findExecutable("jpegtran").isEmpty()) {
        std::fprintf(stderr, "bench_acting: jpegtran is missing (run bench/setup.sh)\n");
        return 1;
    }
    QApplication app(argc, argv);
    BenchViewer viewer;
    qputenv("XDG_DATA_HOME", QFile::encodeName(viewer.folder.filePath("data")));
    const QString photo = viewer.writePhoto(Width, Height, "turned.jpg");
    const double ours = bestMs(3, [&] { turnPicture(photo, Turn::Clockwise); });
    const double reference = jpegtranMs(photo, viewer.folder.filePath("jpegtran.jpg"));
    printRatio("turn 24 MP JPEG (vs jpegtran -rotate 90 -copy all)", ours, reference);
    deleteAgainstStep(viewer);
    const QString camera = viewer.folder.filePath("camera.jpg");
    QFile out(camera);
    if (out.open(QIODevice::WriteOnly))
        out.write(test::withExifBlock(makePhotoJpeg(Width, Height, 90), test::cameraExif()));
    out.close();
    const double properties = bestMs(5, [&] { readProperties(camera); });
    const double bare = bestMs(5, [&] {
        QFile file(camera);
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        exifProperties(ByteView(bytes.constData(), size_t(bytes.size())));
    });
    printRatio("properties of a 24 MP photo (vs Exiv2 in process)", properties, bare);
    return 0;
}
