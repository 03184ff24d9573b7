// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "imaging/pictureload.h"

namespace tovik::decoder {

struct Request;

// The decoding helper's side of a picture too large to decode whole: what it keeps of it lives
// in the memory the viewer gave it (Keep), its overview is sent a band at a time as it comes
// (Overview), then its parts as they are asked for (Region).
void keepLargeMemory(int memory);
void serveOverview(const Request& request, int fd);
PictureLoad serveRegion(const Request& request);

} // namespace tovik::decoder
