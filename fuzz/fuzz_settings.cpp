// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// viewer.ini text: the parser must answer every input, and a parsed file must format and parse
// back to the same values.
#include "core/settingsformat.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const auto values = tovik::parseSettings(text)) {
        const auto again = tovik::parseSettings(tovik::formatSettings(*values));
        if (!again || !(*again == *values))
            std::abort();
    }
    return 0;
}
