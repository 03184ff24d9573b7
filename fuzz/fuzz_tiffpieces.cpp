// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// A large TIFF's reading in pieces: its first directory read by hand, its pages through libtiff,
// the overview and parts of it, whatever the file says of itself.
#include "fuzzsupport.h"
#include "plugins/tiffscan/tiffframe.h"
#include "plugins/tiffscan/tiffpieces.h"

#include <fcntl.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = inputFile(data, size);
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    tovik::tiffscan::tiffFrame(fd);
    const std::unique_ptr<tovik::tiffscan::TiffPieces> tiff = tovik::tiffscan::TiffPieces::open(fd);
    const QSize picture = tiff ? tiff->size() : QSize();
    // Larger claims only take longer over the same code.
    if (tiff && qint64(picture.width()) * picture.height() <= qint64(2048) * 2048) {
        int factor = 1;
        while ((picture.width() + factor - 1) / factor > 64 ||
               (picture.height() + factor - 1) / factor > 64)
            factor *= 2;
        QImage overview((picture.width() + factor - 1) / factor,
                        (picture.height() + factor - 1) / factor, QImage::Format_RGB32);
        tiff->read(overview.rect(), factor, 0xff808080, overview, [](int) {});
        tiff->region(QRect(0, 0, 64, 64), 1, 0);
        tiff->region(QRect(picture.width() / 4, picture.height() / 4, 100, 30), 2, 0);
    }
    ::close(fd);
    return 0;
}
