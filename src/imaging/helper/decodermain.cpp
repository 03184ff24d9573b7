// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// tovik-decoder: decodes pictures for the viewer in a sandbox, so that a decoder taken over by a
// hostile file reaches nothing but the file it was given.
#include "imaging/helper/decoderhelper.h"

int main(int argc, char* argv[]) {
    return tovik::decoder::runDecoderHelper(argc, argv);
}
