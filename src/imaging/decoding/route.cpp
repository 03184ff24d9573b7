// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/decoding/route.h"

#include "imaging/decoding/decodehere.h"

#include <atomic>

namespace tovik {

namespace {
class HereRoute final : public DecodeRoute {
public:
    PictureLoad decode(int fd, const DecodeRequest& request) override {
        return decodeHere(fd, request.kind, request.room, request.scaled, true, request.scale);
    }
    bool framesElsewhere(int) override { return false; }
    QImage frame(int, quint32, int* delayMs) override {
        *delayMs = 0;
        return {};
    }
};

HereRoute here;
std::atomic<DecodeRoute*> chosen = &here;
} // namespace

DecodeRoute& decodeRoute() {
    return *chosen.load();
}

void setDecodeRoute(DecodeRoute& route) {
    chosen = &route;
}

} // namespace tovik
