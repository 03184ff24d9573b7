// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/turning.h"

#include "core/bytes.h"
#include "imaging/pictures.h"
#include "imaging/turning/jpegturn.h"
#include "imaging/turning/rewrite.h"
#include "platform/safefile.h"
#include "plugins/rawembedded.h"

#include <QFile>

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tovik {

namespace {
const QString LossyText =
    QStringLiteral("its format stores the picture with loss, and turning it would mean encoding "
                   "it again");
const QString AnimationText = QStringLiteral("it is an animation");
const QString RawText =
    QStringLiteral("it is a camera's RAW file, which is kept as the camera wrote it");
const QString TooLargeText = QStringLiteral("the file is too large to be turned");
const QString DepthText = QStringLiteral("its colours are deeper than can be written again");

enum class Kind { None, Jpeg, Png, Tiff, Bmp, WebpLossless, Lossy, Animation };

// What WebP a RIFF file holds: lossless (VP8L) or lossy (VP8), still or animated.
Kind webpKind(const ByteView& b) {
    for (qint64 at = 12; at + 8 <= b.size(); at += 8 + ((b.le32(at + 4) + 1) & ~1u)) {
        if (b.has(at, "ANIM", 4))
            return Kind::Animation;
        if (b.has(at, "VP8 ", 4))
            return Kind::Lossy;
        if (b.has(at, "VP8L", 4))
            return Kind::WebpLossless;
    }
    return Kind::None;
}

Kind kindOf(const QByteArray& head) {
    const ByteView b(head.constData(), size_t(head.size()));
    if (b.has(0, "\xff\xd8\xff", 3))
        return Kind::Jpeg;
    if (b.has(0, "\x89PNG\r\n\x1a\n", 8))
        return Kind::Png;
    if (b.has(0, "II*\0", 4) || b.has(0, "MM\0*", 4))
        return Kind::Tiff;
    if (b.has(0, "BM", 2))
        return Kind::Bmp;
    if (b.has(0, "RIFF", 4) && b.has(8, "WEBP", 4))
        return webpKind(b);
    // GIF (no writer keeps its frames), HEIF and AVIF, JPEG XL: stored for good as they are.
    if (b.has(0, "GIF8", 4) || b.has(4, "ftyp", 4) || b.has(0, "\xff\x0a", 2) ||
        b.has(0, "\0\0\0\x0cJXL ", 8))
        return Kind::Lossy;
    return Kind::None;
}

QByteArray formatOf(Kind kind) {
    switch (kind) {
    case Kind::Png:
        return "png";
    case Kind::Tiff:
        return "tiff";
    case Kind::Bmp:
        return "bmp";
    default:
        return "webp";
    }
}

// Whether the file keeps its colours in a palette, which it then keeps.
bool hasPalette(Kind kind, const ByteView& b) {
    if (kind == Kind::Png)
        return b.u8(25) == 3; // IHDR's colour type
    return kind == Kind::Bmp && b.le16(28) <= 8;
}

// Whether the exact pixels lost depth on their way (a 16-bit grey PNG comes as 8 bits).
bool lostDepth(Kind kind, const ByteView& b, const QImage& image) {
    return kind == Kind::Png && b.u8(24) == 16 && image.depth() < 64;
}

QByteArray rewritten(Kind kind, const QString& path, const QByteArray& file, Turn turn,
                     QString* error) {
    const PictureLoad exact = loadPictureExact(path);
    if (exact.image.isNull()) {
        *error = QStringLiteral("its picture cannot be read");
        return {};
    }
    const ByteView b(file.constData(), size_t(file.size()));
    if (lostDepth(kind, b, exact.image)) {
        *error = DepthText;
        return {};
    }
    const QImage turned = turnedImage(exact.image, turn);
    QByteArray encoded = losslessEncoded(turned, formatOf(kind), hasPalette(kind, b));
    if (encoded.isEmpty())
        *error = QStringLiteral("it cannot be written again");
    const bool sideways = turn == Turn::Clockwise || turn == Turn::CounterClockwise;
    return kind == Kind::Png && !encoded.isEmpty() ? withPngChunksOf(encoded, file, sideways)
                                                   : encoded;
}

TurnResult refused(const QString& why) {
    return {TurnResult::Refused, why};
}
TurnResult failed(const QString& why) {
    return {TurnResult::Failed, why};
}
} // namespace

bool mayTurn(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && kindOf(file.read(4096)) != Kind::None;
}

TurnResult turnPicture(const QString& path, Turn turn) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(file.errorString());
    if (file.size() > MaxPictureFileBytes)
        return refused(TooLargeText);
    const QByteArray bytes = file.readAll();
    file.close();
    const Kind kind = kindOf(bytes.left(4096));
    if (kind == Kind::None || kind == Kind::Lossy)
        return refused(LossyText);
    if (kind == Kind::Animation)
        return refused(AnimationText);
    // A RAW starts as a TIFF does: written again from its preview, its mosaic would be lost.
    if (kind == Kind::Tiff && laidOutAsCameraRaw(bytes))
        return refused(RawText);
    // Refused before any decoding, as writing it would be.
    if (::access(QFile::encodeName(path).constData(), W_OK) != 0)
        return failed(QString::fromLocal8Bit(std::strerror(errno)));
    QString error;
    const QByteArray turned = kind == Kind::Jpeg ? turnedJpeg(bytes, turn, &error)
                                                 : rewritten(kind, path, bytes, turn, &error);
    if (turned.isEmpty())
        return refused(error);
    if (!writeFileSafely(path, turned, SafeFile::Kind::Durable, &error))
        return failed(error);
    return {TurnResult::Turned, {}};
}

} // namespace tovik
