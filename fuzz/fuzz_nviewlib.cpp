// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// The JPEG library's bitmap loading, then an encode of whatever it accepted.
#include "fuzzsupport.h"
#include "nviewlib/nviewlib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = inputFile(data, size);
    tovik::NViewLib library;
    if (library.NViewLibLoad(path, 0))
        library.NViewLibSaveAsJPG(50, path + QStringLiteral(".jpg"));
    return 0;
}
