// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// A 12-megapixel HEIC photo: open-to-drawn through Display against libheif's own decode of the
// same file into interleaved RGB (the library called bare), measured in the same run.

#include "benchplatform.h"
#include "benchsupport.h"
#include "support/modernfiles.h"
#include "viewing/display.h"

#include <QApplication>
#include <QFile>

#include <libheif/heif.h>

#include <cstdio>

using namespace tovik;
using namespace tovik::bench;

namespace {
constexpr int Width = 4000, Height = 3000;

// Reading the file, parsing it and decoding its primary image, as heif-dec does.
double referenceDecodeMs(const QString& path) {
    return bestMs(3, [&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        const QByteArray heic = file.readAll();
        heif_context* context = heif_context_alloc();
        heif_context_read_from_memory_without_copy(context, heic.constData(), size_t(heic.size()),
                                                   nullptr);
        heif_image_handle* primary = nullptr;
        heif_context_get_primary_image_handle(context, &primary);
        heif_image* image = nullptr;
        heif_decode_image(primary, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGBA,
                          nullptr);
        heif_image_release(image);
        heif_image_handle_release(primary);
        heif_context_free(context);
    });
}
} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    BenchViewer viewer;
    const QImage photo(viewer.writePhoto(Width, Height));
    const QString path = viewer.folder.filePath("photo.heic");
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(test::heifFile(photo, test::HeifCodec::Hevc));
    }
    frmShowTell& window = viewer.window;
    window.show();
    window.resize(1024, 768);
    QCoreApplication::processEvents();
    const double display = bestMs(3, [&] {
        tovik::Display(window, path);
        QCoreApplication::processEvents();
        window.imgTwo->repaint();
    });
    const double reference = referenceDecodeMs(path);
    std::printf("picture %d x %d, HEIC (x265, 8 bits)\n", window.imgThree.picture.width(),
                window.imgThree.picture.height());
    printRatio("HEIC Display at zoom 1 vs libheif's bare decode (target <= 1.2)", display,
               reference);
    window.close();
    return 0;
}
