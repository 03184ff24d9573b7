// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// The whole picture-loading path as Display uses it, a large photo's preview, and the sheet
// builder's reading.
#include "fuzzsupport.h"
#include "imaging/openpicture.h"
#include "imaging/pictures.h"
#include "imaging/preview.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = inputFile(data, size);
    tovik::loadPicture(path);
    {
        const tovik::OpenPicture file(path);
        tovik::JpegPreview preview(file.fd());
        if (preview.size().isValid())
            preview.decode(int(size % 3 == 0 ? 8 : size % 3 == 1 ? 4 : 2), int(size % 64), 0);
    }
    tovik::loadThumbnail(path, {0.05f, 15, 15});
    const QSize shown = tovik::pictureSize(path);
    if (shown.isValid() && !shown.isEmpty())
        tovik::loadPictureScaled(
            path, QSize(std::max(1, shown.width() / 8), std::max(1, shown.height() / 8)));
    return 0;
}
