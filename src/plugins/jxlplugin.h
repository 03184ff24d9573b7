// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "plugins/wholefilehandler.h"

namespace tovik {

// JPEG XL through libjxl: the first frame, upright as its orientation says, at 8 bits a channel,
// in the colour space its pixels are decoded in.
extern const WholeFileFormat Jxl;

class JxlPlugin : public WholeFilePlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QImageIOHandlerFactoryInterface_iid FILE "jxl.json")
public:
    JxlPlugin() : WholeFilePlugin(Jxl, {"jxl"}) {}
};

} // namespace tovik
