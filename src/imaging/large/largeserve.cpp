// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/large/largeserve.h"

#include "imaging/decoding/canvas.h"
#include "imaging/helper/protocol.h"
#include "imaging/large/largejpeg.h"

#include <memory>

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovik::decoder {

namespace {
// Memory mapped for writing, unmapped when it goes.
struct Mapped {
    void* at = nullptr;
    size_t bytes = 0;
    Mapped() = default;
    Mapped(int memory, size_t size) : bytes(size) {
        at = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, memory, 0);
        if (at == MAP_FAILED)
            at = nullptr;
    }
    Mapped(const Mapped&) = delete;
    Mapped& operator=(const Mapped&) = delete;
    ~Mapped() {
        if (at)
            munmap(at, bytes);
    }
};

std::unique_ptr<Mapped> kept;                 // the memory the viewer gave
std::unique_ptr<large::LargeJpeg> overviewed; // the last file overviewed

void say(Answer answer, int memory = -1) {
    sendMessage(HelperSocket, &answer, sizeof answer, memory);
}

Answer refusal(PictureError why, QSize size = {}) {
    Answer a;
    a.error = qint32(why);
    a.claimedWidth = size.isValid() ? size.width() : -1;
    a.claimedHeight = size.isValid() ? size.height() : -1;
    return a;
}
} // namespace

void keepLargeMemory(int memory) {
    struct stat info {};
    kept.reset();
    if (memory >= 0 && fstat(memory, &info) == 0 && info.st_size > 0)
        kept = std::make_unique<Mapped>(memory, size_t(info.st_size));
    if (memory >= 0)
        ::close(memory);
}

void serveOverview(const Request& request, int fd) {
    overviewed = large::LargeJpeg::open(fd);
    if (!overviewed)
        return say(refusal(PictureError::NotAPicture));
    const QSize size = overviewed->layout().size;
    const large::Reduction reduction{request.denominator, request.box};
    const QSize reduced = reduction.of(size);
    const qint64 bytes = qint64(reduced.width()) * reduced.height() * 4;
    if (!large::validReduction(reduction) || bytes > PictureBudgetBytes)
        return say(refusal(PictureError::TooLarge, size));
    const int memory = sealedMemory(bytes);
    const Mapped canvasMemory(memory, size_t(bytes));
    if (!canvasMemory.at) {
        if (memory >= 0)
            ::close(memory);
        return say(refusal(PictureError::TooLarge, size));
    }
    QImage canvas(static_cast<uchar*>(canvasMemory.at), reduced.width(), reduced.height(),
                  qsizetype(reduced.width()) * 4, QImage::Format_RGB32);
    canvas.fill(request.fill);
    Answer a = refusal(PictureError::None, size);
    a.width = canvas.width();
    a.height = canvas.height();
    a.bytesPerLine = int(canvas.bytesPerLine());
    a.format = int(canvas.format());
    a.flags = Progress;
    say(a, memory);
    ::close(memory);
    const bool indexed = kept && qint64(kept->bytes) >= jpegscan::indexBytes(overviewed->layout());
    overviewed->overview(canvas, reduction,
                         indexed ? static_cast<jpegscan::IndexPoint*>(kept->at) : nullptr,
                         [&](int rows) {
                             a.rows = rows;
                             say(a);
                         });
    a.flags = 0;
    a.rows = overviewed->indexedRows();
    say(a);
}

PictureLoad serveRegion(const Request& request) {
    const QRect rect(request.x, request.y, request.width, request.height);
    if (!overviewed || rect.isEmpty() || qint64(rect.width()) * rect.height() * 4 > request.room)
        return {PictureError::NotAPicture, {}, {}};
    const QImage part = overviewed->region(rect, request.denominator);
    return {part.isNull() ? PictureError::NotAPicture : PictureError::None, part, {}};
}

} // namespace tovik::decoder
