// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// tovik-metafile: draws one WMF or EMF read on standard input, for the viewer, which runs it so
// that a library crash or endless loop on a hostile file ends this process, not the viewer.
#include "plugins/metafile/metafileimage.h"

int main(int argc, char* argv[]) {
    return tovik::runMetafileHelper(argc, argv);
}
