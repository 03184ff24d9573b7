// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// The header walks that decide what a picture may cost before any decoder sees it.
#include "imaging/reading/picturebudget.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const char* format : {"jpeg", "gif", "png", "ico"})
        tovik::scansWithinBudget(tovik::decodeCost(bytes, format));
    return 0;
}
