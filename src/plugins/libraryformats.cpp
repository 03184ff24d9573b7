// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "plugins/libraryformats.h"

namespace tovik {

namespace {
// Set once, before main, by the registering objects; read only after.
LibraryFormats registered;
bool linked = false;
} // namespace

const LibraryFormats* libraryFormats() {
    return linked ? &registered : nullptr;
}

void registerLibraryFormats(const LibraryFormats& formats) {
    registered = formats;
    linked = true;
}

const WholeFileFormat* libraryFormat(const QByteArray& name) {
    if (!linked)
        return nullptr;
    if (name == "heif" || name == "avif")
        return registered.heif;
    if (name == "jxl")
        return registered.jxl;
    return name == "raw" ? registered.raw : nullptr;
}

} // namespace tovik
