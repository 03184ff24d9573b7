// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

// libheif, libjxl and LibRaw as our plugins drive them (a RAW also for a small picture, as a
// sheet asks), the directories of a RAW searched for the pictures it keeps, and colour profiles as
// the conversion into the screen's colours reads them, each straight from the input's bytes.
#include "fuzzsupport.h"
#include "imaging/colour/screencolours.h"
#include "plugins/heifplugin.h"
#include "plugins/jxlplugin.h"
#include "plugins/profiles.h"
#include "plugins/rawembedded.h"
#include "plugins/rawplugin.h"

#include <QImageReader>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    inputFile(data, 0); // the application the plugins need
    QImageReader::setAllocationLimit(256);
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const tovik::WholeFileFormat* format : {&tovik::Heif, &tovik::Jxl, &tovik::Raw}) {
        if (format->sniff(bytes.left(64)).isEmpty())
            continue;
        format->cost(bytes);
        format->decode(bytes);
        if (format->decodeNear && tovik::isCameraRaw(bytes)) {
            format->decodeNear(bytes, {40, 30});
            format->turn(bytes);
        }
    }
    tovik::embeddedPictures(bytes);
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    tovik::setProfile(picture, bytes);
    tovik::toScreenColours(picture);
    return 0;
}
