// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/turning/jpegturn.h"

#include "core/bytes.h"
#include "imaging/turning/jpegorientation.h"

#include <turbojpeg.h>

#include <memory>

namespace tovik {

namespace {
const QString UnreadableText = QStringLiteral("its JPEG data cannot be read");
const QString ExifText = QStringLiteral("its EXIF block cannot be changed safely");

struct TjFree {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using TjHandle = std::unique_ptr<void, TjFree>;

// The block transform that shows stored pixels as EXIF orientation 1 to 8 says.
constexpr TJXOP OperationFor[] = {TJXOP_NONE,      TJXOP_HFLIP, TJXOP_ROT180,     TJXOP_VFLIP,
                                  TJXOP_TRANSPOSE, TJXOP_ROT90, TJXOP_TRANSVERSE, TJXOP_ROT270};

// Whether the transform moves whole blocks only: a partial block on an edge it moves would be
// trimmed or left in place.
bool perfect(TJXOP op, int width, int height, int subsampling) {
    if (subsampling < 0 || subsampling >= TJ_NUMSAMP)
        return false;
    const bool wholeAcross = width % tjMCUWidth[subsampling] == 0;
    const bool wholeDown = height % tjMCUHeight[subsampling] == 0;
    switch (op) {
    case TJXOP_NONE:
    case TJXOP_TRANSPOSE:
        return true;
    case TJXOP_HFLIP:
    case TJXOP_ROT270:
        return wholeAcross;
    case TJXOP_VFLIP:
    case TJXOP_ROT90:
        return wholeDown;
    default:
        return wholeAcross && wholeDown;
    }
}

// Whether the frame is progressive (SOF2, or SOF10 with arithmetic coding).
bool progressive(const QByteArray& file) {
    const ByteView b(file.constData(), size_t(file.size()));
    for (qint64 at = 2; at + 4 <= b.size() && b.u8(at) == 0xff; at += 2 + b.be16(at + 2)) {
        const quint32 marker = b.u8(at + 1);
        if (marker == 0xda)
            return false;
        if (marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc)
            return marker == 0xc2 || marker == 0xca;
    }
    return false;
}

QByteArray blocksTransformed(void* handle, const QByteArray& file, TJXOP op, QString* error) {
    tjtransform transform{};
    transform.op = op;
    transform.options = TJXOPT_PERFECT | (progressive(file) ? TJXOPT_PROGRESSIVE : 0);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    const auto* in = reinterpret_cast<const unsigned char*>(file.constData());
    if (tjTransform(handle, in, static_cast<unsigned long>(file.size()), 1, &out, &outSize,
                    &transform, 0) != 0) {
        *error = UnreadableText;
        tjFree(out);
        return {};
    }
    QByteArray turned(reinterpret_cast<const char*>(out), qsizetype(outSize));
    tjFree(out);
    return turned;
}
} // namespace

QByteArray turnedJpeg(const QByteArray& file, Turn turn, QString* error) {
    const TjHandle handle(tjInitTransform());
    int width = 0, height = 0, subsampling = -1, colourspace = 0;
    const auto* in = reinterpret_cast<const unsigned char*>(file.constData());
    if (!handle ||
        tjDecompressHeader3(handle.get(), in, static_cast<unsigned long>(file.size()), &width,
                            &height, &subsampling, &colourspace) != 0 ||
        width <= 0 || height <= 0) { // a header cut short is answered with a size of 0
        *error = UnreadableText;
        return {};
    }
    const int shown = jpegOrientationValue(file);
    const int wanted = turnedOrientation(shown, turn);
    const TJXOP op = OperationFor[wanted - 1];
    QByteArray turned;
    if (op == TJXOP_NONE || !perfect(op, width, height, subsampling)) {
        turned = withJpegOrientation(file, wanted);
    } else {
        turned = blocksTransformed(handle.get(), file, op, error);
        if (turned.isEmpty())
            return {};
        // The copied EXIF block still says how the old pixels were to be shown.
        if (shown != 1)
            turned = withJpegOrientation(turned, 1);
    }
    if (turned.isEmpty() && error->isEmpty())
        *error = ExifText;
    return turned;
}

} // namespace tovik
