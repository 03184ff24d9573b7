// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// Linked whole into each program that decodes pictures, with plugins/linkformats.cpp: Exiv2 reads
// the camera's fields there, never in the viewer.

#include "imaging/metadata/exifproperties.h"

namespace {
const bool Registered = [] {
    tovik::registerExifReader(tovik::exifProperties);
    return true;
}();
} // namespace
