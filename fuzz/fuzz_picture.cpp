// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// The whole picture-loading path as Display uses it, and the sheet builder's header reading.
#include "fuzzsupport.h"
#include "platform/pictures.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = inputFile(data, size);
    tovik::loadPicture(path);
    const QSize shown = tovik::pictureSize(path);
    if (shown.isValid() && !shown.isEmpty())
        tovik::loadPictureScaled(
            path, QSize(std::max(1, shown.width() / 8), std::max(1, shown.height() / 8)));
    return 0;
}
