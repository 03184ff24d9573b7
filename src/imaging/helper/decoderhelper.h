// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

namespace tovik::decoder {

// tovik-decoder's whole life: loads every image plugin, enters the sandbox, then answers the
// viewer's requests on its socket until the viewer closes it.
int runDecoderHelper(int argc, char* argv[]);

} // namespace tovik::decoder
