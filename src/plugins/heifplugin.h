// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "plugins/wholefilehandler.h"

namespace tovik {

// HEIC, HEIF and AVIF through libheif: the primary image, turned as its irot and imir boxes say,
// at 8 bits a channel whatever its depth, with its ICC or nclx colour space.
extern const WholeFileFormat Heif;

class HeifPlugin : public WholeFilePlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QImageIOHandlerFactoryInterface_iid FILE "heif.json")
public:
    HeifPlugin() : WholeFilePlugin(Heif, {"heic", "heif", "avif"}) {}
};

} // namespace tovik
