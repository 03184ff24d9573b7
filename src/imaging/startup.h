// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

namespace tovik {

// Pictures decoded on worker threads are let go on the user-interface thread. glibc gives each
// thread an arena of its own, and what a worker's arena once held it keeps, so a long slide show
// would grow the process with every lap. All threads share one arena instead: the workers
// allocate seldom and in large pieces, so they hardly ever wait for it. Called once at start.
void shareOneMemoryArena();

// A write to a helper that has died, or to a pipe nobody reads, fails with an error like any
// other instead of ending the program. Called once at start.
void ignoreBrokenPipes();

// From now on pictures are decoded through the sandboxed decoding helper (tovik-decoder), when
// it is there and decoding in process was not asked for (TOVIK_DECODE_IN_PROCESS); without this
// call they are decoded in this process, as the fuzz targets and the helper itself do. Called
// once at start, before any picture is decoded.
void useDecodingHelper();

// Starts a decoding helper ahead of need, first thing in main(): it loads its plugins and walls
// itself in while the viewer starts, so that the first picture does not wait for it.
void startHelperAhead();

// What the viewer does at start, once its application exists: pictures are converted into the
// display's colours and decoded through the helper.
void startImaging();

} // namespace tovik
