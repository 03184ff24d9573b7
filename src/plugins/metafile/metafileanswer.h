// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "plugins/metafile/metafileimage.h"

#include <QtGlobal>

namespace tovik {

// The drawing goes back as "TVKM", width and height (32-bit little-endian) and the pixels,
// premultiplied ARGB, row after row.
inline constexpr char MetafileMagic[] = "TVKM";
inline constexpr qsizetype MetafileHeaderBytes = 12;

// How long the viewer waits for a drawing; a sanitizer build may be given longer.
inline int metafileTimeLimitMs() {
    bool ok = false;
    const int named = qEnvironmentVariableIntValue("TOVIK_METAFILE_TIME_LIMIT_MS", &ok);
    return ok && named > 0 ? named : MetafileTimeLimitMs;
}

} // namespace tovik
