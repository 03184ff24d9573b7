// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// What decoding in the sandboxed helper costs beside decoding in the viewer's own process,
// measured in the same run: a small PNG (the round trip), a 24-megapixel PNG, and 100 PNG
// thumbnails made on every core as the sheet makes them.

#include "benchsupport.h"
#include "imaging/helper/decoderclient.h"
#include "imaging/pictures.h"
#include "imaging/startup.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QtConcurrent/QtConcurrentMap>

#include <cstdio>

using namespace tovik;
using namespace tovik::bench;

namespace {
QImage photoLike(int width, int height) {
    QImage picture = QImage::fromData(makePhotoJpeg(width, height, 90));
    return picture.convertToFormat(QImage::Format_RGB32);
}

// The same work decoded here and in the helper: (ours, reference) in milliseconds.
std::pair<double, double> bothWays(int runs, const std::function<void()>& work) {
    qputenv("TOVIK_DECODE_IN_PROCESS", "1");
    const double here = bestMs(runs, work);
    qunsetenv("TOVIK_DECODE_IN_PROCESS");
    return {bestMs(runs, work), here};
}
} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    useDecodingHelper();
    QTemporaryDir folder;
    const QString small = folder.filePath("small.png"), large = folder.filePath("large.png");
    photoLike(300, 200).save(small);
    photoLike(6000, 4000).save(large);
    QStringList sheet;
    const QImage entry = photoLike(640, 480);
    for (int i = 0; i < 100; ++i) {
        sheet << folder.filePath(QStringLiteral("entry%1.png").arg(i));
        entry.save(sheet.last());
    }
    loadPicture(small); // a helper started, as the viewer starts one ahead of need
    if (loadPicture(large).image.size() != QSize(6000, 4000))
        std::printf("the 24 MP PNG did not load through the helper\n");

    constexpr int Round = 50;
    const auto [smallHelper, smallHere] = bothWays(3, [&] {
        for (int i = 0; i < Round; ++i)
            loadPicture(small);
    });
    const auto [largeHelper, largeHere] = bothWays(3, [&] { loadPicture(large); });
    const auto [sheetHelper, sheetHere] = bothWays(2, [&] {
        QtConcurrent::blockingMapped(sheet, [](const QString& path) {
            return loadPictureScaled(path, {160, 120});
        });
    });
    std::printf("helper overhead per picture, 300 x 200 PNG: %.2f ms (target <= 2 ms)\n",
                (smallHelper - smallHere) / Round);
    printRatio("300 x 200 PNG in the helper vs here", smallHelper / Round, smallHere / Round);
    printRatio("24 MP PNG in the helper vs here (target <= 1.05)", largeHelper, largeHere);
    printRatio("sheet of 100 PNGs in helpers vs here (target <= 1.1)", sheetHelper, sheetHere);
    return 0;
}
