// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/helper/decoderclient.h"

#include "imaging/colour/screencolours.h"
#include "imaging/decoding/canvas.h"
#include "imaging/decoding/decodehere.h"
#include "imaging/decoding/route.h"
#include "imaging/helper/givencanvases.h"
#include "imaging/helper/helperpool.h"
#include "imaging/helper/protocol.h"
#include "imaging/jpeg/jpegmarkers.h"
#include "imaging/startup.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tovik {

namespace decoder {

namespace {

// The pixels in memory, read as the helper's answer describes them and no further than most:
// null when the description does not hold.
QImage mappedPixels(const Answer& answer, int memory, qint64 most) {
    const QImage::Format format = QImage::Format(answer.format);
    const int bits = sentAsItIs(format) ? QImage::toPixelFormat(format).bitsPerPixel() : 0;
    const qint64 row = (qint64(answer.width) * bits + 7) / 8;
    const qint64 bytes = qint64(answer.bytesPerLine) * answer.height;
    struct stat info {};
    if (bits == 0 || answer.width <= 0 || answer.height <= 0 || answer.bytesPerLine < row ||
        answer.bytesPerLine > row + 64 || bytes > most || fstat(memory, &info) != 0 ||
        info.st_size < bytes || !sizeSealed(memory)) // no helper can shrink it under the viewer
        return {};
    return pictureInMemory(memory, size_t(bytes), {answer.width, answer.height},
                           answer.bytesPerLine, format);
}

// The text an answer holds in its memory; empty when it does not hold as much.
QByteArray mappedText(const Answer& answer, int memory) {
    struct stat info {};
    if (answer.width <= 0 || answer.width > MostTextBytes || fstat(memory, &info) != 0 ||
        info.st_size < answer.width || !sizeSealed(memory))
        return {};
    QByteArray text(answer.width, Qt::Uninitialized);
    return pread(memory, text.data(), size_t(text.size()), 0) == answer.width ? text : QByteArray();
}
} // namespace

std::optional<PictureLoad> answeredLoad(const Answer& answer, int memory, const Request& asked) {
    if (answer.magic != Magic || answer.error < int(PictureError::None) ||
        answer.error > int(PictureError::NoRoom))
        return {};
    PictureLoad load{PictureError(answer.error),
                     {},
                     {answer.claimedWidth, answer.claimedHeight},
                     bool(answer.flags & Animated)};
    load.outside = answer.flags & Outside;
    load.quickScaled = answer.flags & QuickScaled;
    load.embedded = {answer.previewOffset, answer.previewLength, answer.previewOrientation};
    load.delayMs = answer.delayMs;
    const qint64 most = asked.kind == Kind::Load ? asked.room : PictureBudgetBytes;
    if (answer.flags & Text) {
        load.properties = memory >= 0 ? mappedText(answer, memory) : QByteArray();
        return load.properties.isEmpty() ? std::nullopt : std::optional<PictureLoad>(load);
    }
    if (memory >= 0)
        load.image = mappedPixels(answer, memory, most);
    const bool pixelsWanted = asked.kind != Kind::Size && asked.kind != Kind::Properties &&
                              asked.kind != Kind::Preview && load.error == PictureError::None &&
                              !load.outside;
    if (pixelsWanted == load.image.isNull() && (pixelsWanted || memory >= 0))
        return {};
    return load;
}

namespace {
std::optional<PictureLoad> answerFrom(const Helper& helper, const Request& request) {
    Answer answer;
    int memory = -1;
    if (!readable(helper.socket) || !receiveMessage(helper.socket, &answer, sizeof answer, &memory))
        return {};
    std::optional<PictureLoad> load = answeredLoad(answer, memory, request);
    if (memory >= 0)
        ::close(memory);
    return load;
}

// A helper of the pool that takes the request: one that died while it waited (killed, or out
// of its time) cannot, and a new one is tried in its place.
std::optional<Helper> sentTo(const Request& request, int fd) {
    const bool frame = request.kind == Kind::Frame;
    for (int tries = 0; tries < 2; ++tries) {
        const std::optional<Helper> helper = frame ? pool().takeForFrames() : pool().take();
        if (!helper)
            return {};
        const bool whole = request.kind == Kind::Load || request.kind == Kind::Exact;
        if ((!whole || giveCanvas(helper->socket)) &&
            sendMessage(helper->socket, &request, sizeof request, fd))
            return helper;
        retire(*helper);
    }
    return {};
}

// One request to a helper of the pool; a helper that fails in any way while it works on it is
// ended, and the picture is no picture.
std::optional<PictureLoad> ask(const Request& request, int fd) {
    const std::optional<Helper> helper = sentTo(request, fd);
    if (!helper)
        return {};
    std::optional<PictureLoad> load = answerFrom(*helper, request);
    if (!load)
        retire(*helper);
    else if (request.kind == Kind::Frame)
        pool().giveForFrames(*helper);
    else
        pool().give(*helper);
    return load;
}

// Whether the file is a JPEG of one or three components, walking its segments to its frame
// header. A CMYK one, whose inks are converted through its profile at some cost, is not.
bool isGrayOrColourJpeg(int fd) {
    const std::optional<JpegFrame> frame = jpegFrame(fd);
    return frame && (frame->components == 1 || frame->components == 3);
}

bool helperWanted() {
    return !qEnvironmentVariableIsSet("TOVIK_DECODE_IN_PROCESS") && !helperPath().isEmpty();
}

bool decodedInHelper(int fd) {
    return helperWanted() && !isGrayOrColourJpeg(fd);
}

// Every format but JPEG's and the drawings' through the helper; those here.
class HelperRoute final : public DecodeRoute {
public:
    PictureLoad decode(int fd, const DecodeRequest& asked) override {
        // Metadata parsers have a worse record than decoders: every file's go to the helper.
        const bool here = asked.kind == DecodeKind::Properties || asked.kind == DecodeKind::Preview
                              ? !helperWanted()
                              : !decodedInHelper(fd);
        if (here)
            return decodeHere(fd, asked.kind, asked.room, asked.scaled, true, asked.scale);
        const ThumbnailScale& s = asked.scale;
        const Request request{Magic,
                              Kind(asked.kind),
                              asked.room,
                              asked.scaled.width(),
                              asked.scaled.height(),
                              s.percent,
                              s.tppX,
                              s.tppY,
                              s.box};
        const std::optional<PictureLoad> answer = ask(request, fd);
        if (!answer)
            return {PictureError::NotAPicture, {}, {}};
        return answer->outside
                   ? decodeHere(fd, asked.kind, asked.room, asked.scaled, true, asked.scale)
                   : *answer;
    }
    bool framesElsewhere(int fd) override { return decodedInHelper(fd); }
    QImage frame(int fd, quint32 number, int* delayMs) override {
        Request request;
        request.kind = Kind::Frame;
        request.width = qint32(number);
        const std::optional<PictureLoad> frame = ask(request, fd);
        *delayMs = frame ? frame->delayMs : 0;
        return frame ? frame->image : QImage();
    }
};
} // namespace

int lastEndingSignal() {
    const int status = lastHelperStatus();
    return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

void startAhead() {
    if (qEnvironmentVariableIsSet("TOVIK_DECODE_IN_PROCESS") || helperPath().isEmpty())
        return;
    if (const std::optional<Helper> helper = launched()) // walls itself in while the viewer starts
        pool().give(*helper);
}

int idleHelper() {
    const std::optional<Helper> helper = pool().take();
    if (!helper)
        return -1;
    pool().give(*helper);
    return helper->pid;
}

PictureLoad askOddly(Kind kind) {
    Request request;
    request.kind = kind;
    return ask(request, -1).value_or(PictureLoad{PictureError::NotAPicture, {}, {}});
}

} // namespace decoder

void useDecodingHelper() {
    static decoder::HelperRoute route;
    setDecodeRoute(route);
}

void startHelperAhead() {
    decoder::startAhead();
}

void startImaging() {
    setScreenProfile(displayProfile()); // before any picture is decoded
    useDecodingHelper();
}

} // namespace tovik
