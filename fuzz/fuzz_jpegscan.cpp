// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// A large JPEG's reading in pieces: its layout, the walk that indexes its scan, the overview, and
// the pieces written from the index and decoded, whatever the file says of itself.
#include "fuzzsupport.h"
#include "imaging/large/largejpeg.h"

#include <vector>

#include <fcntl.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = inputFile(data, size);
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    const std::unique_ptr<tovik::large::LargeJpeg> jpeg = tovik::large::LargeJpeg::open(fd);
    const QSize picture = jpeg ? jpeg->layout().size : QSize();
    // Larger claims only take longer over the same code.
    if (jpeg && qint64(picture.width()) * picture.height() <= qint64(2048) * 2048) {
        std::vector<tovik::jpegscan::IndexPoint> index(
            size_t(tovik::jpegscan::indexBytes(jpeg->layout())) /
            sizeof(tovik::jpegscan::IndexPoint));
        const tovik::large::Reduction reduction = tovik::large::overviewReduction(picture, 64 * 64);
        QImage overview(reduction.of(picture), QImage::Format_RGB32);
        jpeg->overview(overview, reduction, index.data(), [](int) {});
        jpeg->region(QRect(0, 0, 64, 64), 1);
        jpeg->region(QRect(picture.width() / 4, picture.height() / 4, 100, 30), 2);
    }
    ::close(fd);
    return 0;
}
