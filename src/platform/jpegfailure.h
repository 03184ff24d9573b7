// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

namespace tovik {

// libjpeg reports a fatal error by calling error_exit, which must not return: it jumps back to
// the setjmp of the one place that called into the library. Warnings are quiet: a truncated file
// is shown as far as it goes.
struct JpegFailure {
    jpeg_error_mgr manager;
    std::jmp_buf jump;

    [[noreturn]] static void jumpBack(j_common_ptr info) {
        std::longjmp(reinterpret_cast<JpegFailure*>(info->err)->jump, 1);
    }
    static void quiet(j_common_ptr, int) {}

    // A decompressor made to report here, created.
    void create(jpeg_decompress_struct& info) {
        info.err = jpeg_std_error(&manager);
        manager.error_exit = jumpBack;
        manager.emit_message = quiet;
        jpeg_create_decompress(&info);
    }
};

} // namespace tovik
