// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <new>

namespace tovik {

// Runs a decode so that no file can end the program: memory that cannot be had gives failed,
// a picture too large to open.
template <typename Decode> auto guarded(Decode decode, decltype(decode()) failed) {
    try {
        return decode();
    } catch (const std::bad_alloc&) {
        return failed;
    }
}

} // namespace tovik
