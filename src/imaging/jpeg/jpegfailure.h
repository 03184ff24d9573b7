// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QByteArray>
#include <QImage>

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

// The header of the JPEG in file read, its pixels to come out in RGB32's own order in memory.
// Called where the jump back is set: a failure jumps from here.
inline void readJpegHeader(jpeg_decompress_struct& info, const QByteArray& file) {
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(file.constData()),
                 (unsigned long)file.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRX;
}

// Decodes the rows from the current one down to rows into image, one row at a time. Called where
// the jump back is set.
inline void readJpegRows(jpeg_decompress_struct& info, QImage& image, int rows) {
    while (int(info.output_scanline) < rows) {
        JSAMPROW row = image.scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
}

} // namespace tovik
