// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "plugins/wholefilehandler.h"

namespace tovik {

// Camera RAW files through LibRaw: the camera's embedded preview where its long side is at least
// half the sensor's (or, for a smaller picture wanted, where it covers that), else the sensor's
// mosaic developed (camera white balance, sRGB, 8 bits; at half size when that covers what is
// wanted). Neither is turned: the handler says how the camera was held.
extern const WholeFileFormat Raw;

// Where a RAW's JPEG preview lies in its file, when the preview stands for the whole picture
// (see Raw): none (offset -1) when it does not, or is no JPEG, or lies outside the file. The
// preview is stored as the sensor is, turned by orientation (EXIF's values) to stand upright.
struct EmbeddedJpeg {
    qint64 offset = -1, length = 0;
    int orientation = 1;
    QSize size; // as stored
};
EmbeddedJpeg embeddedJpeg(const QByteArray& file);

// Whether a file is a camera's RAW (a DNG, or one LibRaw knows), which Qt's TIFF reader must not
// take for the thumbnail in its first directory: such a file is read by name, as "raw".
bool isCameraRaw(const QByteArray& file);

class RawPlugin : public WholeFilePlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QImageIOHandlerFactoryInterface_iid FILE "raw.json")
public:
    RawPlugin()
        : WholeFilePlugin(Raw, {"raw", "dng", "cr2", "cr3", "crw", "nef", "nrw", "arw", "srf",
                                "sr2", "raf", "orf", "rw2", "pef", "x3f", "dcr", "kdc", "mrw"}) {}
};

} // namespace tovik
