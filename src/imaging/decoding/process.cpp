// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/startup.h"

#include <csignal>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace tovik {

void ignoreBrokenPipes() {
    std::signal(SIGPIPE, SIG_IGN);
}

void shareOneMemoryArena() {
#ifdef __GLIBC__
    mallopt(M_ARENA_MAX, 1);
#endif
}

} // namespace tovik
