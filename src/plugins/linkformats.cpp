// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// Linked whole into each program that decodes pictures (see libraryformats.h): Qt's readers know
// the library formats' plugins, and the decoding code knows the formats.

#include "plugins/heifplugin.h"
#include "plugins/jxlplugin.h"
#include "plugins/libraryformats.h"
#include "plugins/rawplugin.h"

#include <QtPlugin>

Q_IMPORT_PLUGIN(HeifPlugin)
Q_IMPORT_PLUGIN(JxlPlugin)
Q_IMPORT_PLUGIN(RawPlugin)

namespace {
const bool Registered = [] {
    tovik::registerLibraryFormats(
        {&tovik::Heif, &tovik::Jxl, &tovik::Raw, tovik::isCameraRaw, tovik::embeddedJpeg});
    return true;
}();
} // namespace
