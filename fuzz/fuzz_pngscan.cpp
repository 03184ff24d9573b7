// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// A large PNG's reading row by row: its layout, its rows read from the top while points are
// written, then read on from the points, whatever the file says of itself.
#include "fuzzsupport.h"
#include "plugins/pngscan/pngrows.h"

#include <vector>

#include <fcntl.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tovik::pngscan;
    const QString path = inputFile(data, size);
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    const QByteArray head(reinterpret_cast<const char*>(data),
                          qsizetype(std::min<size_t>(size, 65536)));
    const std::optional<PngLayout> layout = pngLayout(head);
    // Larger claims only take longer over the same code.
    if (layout && qint64(layout->size.width()) * layout->size.height() <= qint64(2048) * 2048) {
        std::vector<uchar> points(size_t(pointCount(*layout) * pointBytes(*layout)));
        std::vector<QRgb> pixels(size_t(layout->size.width()));
        PngRows rows(fd, *layout);
        if (rows.start(points.data()))
            while (const uchar* row = rows.next())
                toRgb32(*layout, row, 0, layout->size.width(), 0xff808080, pixels.data());
        for (const int at : {layout->size.height() / 2, layout->size.height() - 1}) {
            PngRows from(fd, *layout);
            if (from.startAt(points.data(), at))
                from.next();
        }
        pngProfile(*layout);
    }
    ::close(fd);
    return 0;
}
