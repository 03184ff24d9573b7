// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/large/largeserve.h"

#include "imaging/colour/screencolours.h"
#include "imaging/decoding/canvas.h"
#include "imaging/helper/protocol.h"
#include "imaging/large/largejpeg.h"
#include "imaging/large/largepng.h"
#include "plugins/tiffscan/tiffframe.h"
#include "plugins/tiffscan/tiffpieces.h"

#include <QColorSpace>

#include <functional>
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

std::unique_ptr<Mapped> kept; // the memory the viewer gave
// The last file overviewed: a JPEG, a PNG or a TIFF.
std::unique_ptr<large::LargeJpeg> overviewedJpeg;
std::unique_ptr<large::LargePng> overviewedPng;
std::unique_ptr<tiffscan::TiffPieces> overviewedTiff;
QRgb overviewFill = 0;
BandConversion toScreen; // a PNG's or a TIFF's colours into the screen's (a JPEG turns its own)

// The colours of the PNG or TIFF overviewed, as Qt's readers take them.
QColorSpace spaceOfOverviewed() {
    if (overviewedTiff && !overviewedTiff->profile().isEmpty())
        return QColorSpace::fromIccProfile(overviewedTiff->profile());
    if (!overviewedPng) // a JPEG, or a TIFF without a profile
        return {};
    const pngscan::PngLayout& png = overviewedPng->layout();
    if (!png.iccChunk.isEmpty())
        return QColorSpace::fromIccProfile(pngscan::pngProfile(png));
    if (png.srgb || png.gamma == 0 || qAbs(int(png.gamma) - 45455) < 10)
        return {};
    return QColorSpace(QColorSpace::Primaries::SRgb, 100000.0f / float(png.gamma));
}

// The file fd overviewed from now on; its size, invalid when it is none read in pieces.
QSize overviewed(int fd) {
    overviewedJpeg = large::LargeJpeg::open(fd);
    overviewedPng = overviewedJpeg ? nullptr : large::LargePng::open(fd);
    overviewedTiff = overviewedJpeg || overviewedPng ? nullptr : tiffscan::TiffPieces::open(fd);
    const QColorSpace space = spaceOfOverviewed();
    toScreen = space.isValid() ? screenConversion(space, QImage::Format_RGB32) : BandConversion();
    return overviewedJpeg   ? overviewedJpeg->layout().size
           : overviewedPng  ? overviewedPng->layout().size
           : overviewedTiff ? overviewedTiff->size()
                            : QSize();
}

// What the overview of that file keeps (an index, points), and where; null when the memory the
// viewer gave does not hold it.
uchar* keptFor(qint64 bytes) {
    return kept && qint64(kept->bytes) >= bytes ? static_cast<uchar*>(kept->at) : nullptr;
}

// The overview of the file overviewed into canvas, telling progress of its rows; at its end, the
// rows its index reaches (a PNG's: all it read).
int overviewInto(QImage& canvas, const large::Reduction& reduction, QRgb fill,
                 const std::function<void(int)>& progress) {
    if (overviewedJpeg) {
        auto* index = reinterpret_cast<jpegscan::IndexPoint*>(
            keptFor(jpegscan::indexBytes(overviewedJpeg->layout())));
        overviewedJpeg->overview(canvas, reduction, index, progress);
        return overviewedJpeg->indexedRows();
    }
    // Told every 64 rows, as a JPEG's, each told in the screen's colours.
    int told = 0;
    const auto tell = [&](int rows) {
        if (rows - told < 64 && rows < canvas.height())
            return;
        if (toScreen)
            toScreen(canvas.scanLine(told), canvas.width(), rows - told, canvas.bytesPerLine());
        progress(told = rows);
    };
    if (overviewedTiff)
        return overviewedTiff->read(canvas.rect(), reduction.factor(), fill, canvas, tell)
                   ? canvas.height()
                   : 0;
    const pngscan::PngLayout& layout = overviewedPng->layout();
    uchar* points = keptFor(pngscan::pointCount(layout) * pngscan::pointBytes(layout));
    return overviewedPng->overview(canvas, reduction.factor(), fill, points, tell)
               ? layout.size.height()
               : 0;
}

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
    const QSize size = overviewed(fd);
    overviewFill = request.fill;
    if (!size.isValid()) { // a TIFF libtiff cannot read in pieces keeps the budget
        const std::optional<tiffscan::TiffFrame> tiff = tiffscan::tiffFrame(fd);
        return say(tiff ? refusal(PictureError::TooLarge, tiff->size)
                        : refusal(PictureError::NotAPicture));
    }
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
    const int reached = overviewInto(canvas, reduction, request.fill, [&](int rows) {
        a.rows = rows;
        say(a);
    });
    a.flags = 0;
    a.rows = reached;
    say(a);
}

PictureLoad serveRegion(const Request& request) {
    const QRect rect(request.x, request.y, request.width, request.height);
    if ((!overviewedJpeg && !overviewedPng && !overviewedTiff) || rect.isEmpty() ||
        qint64(rect.width()) * rect.height() * 4 > request.room)
        return {PictureError::NotAPicture, {}, {}};
    QImage part = overviewedJpeg  ? overviewedJpeg->region(rect, request.denominator)
                  : overviewedPng ? overviewedPng->region(rect, request.denominator, overviewFill)
                                  : overviewedTiff->region(rect, request.denominator, overviewFill);
    if (toScreen && !overviewedJpeg && !part.isNull())
        toScreen(part.bits(), part.width(), part.height(), part.bytesPerLine());
    return {part.isNull() ? PictureError::NotAPicture : PictureError::None, part, {}};
}

} // namespace tovik::decoder
