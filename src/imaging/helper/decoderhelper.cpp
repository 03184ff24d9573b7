// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/helper/decoderhelper.h"

#include "imaging/colour/screencolours.h"
#include "imaging/decoding/canvas.h"
#include "imaging/decoding/decodehere.h"
#include "imaging/decoding/framereader.h"
#include "imaging/helper/protocol.h"
#include "imaging/large/largeserve.h"
#include "imaging/startup.h"
#include "sandbox/sandbox.h"

#include <QCoreApplication>
#include <QImageReader>

#include <cerrno>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovik::decoder {

namespace {
// The bytes in a new shared memory, -1 when none can be made.
int sharedBytes(const void* data, qsizetype bytes) {
    const int memory = sealedMemory(bytes);
    if (memory < 0)
        return -1;
    void* at = mmap(nullptr, size_t(bytes), PROT_WRITE, MAP_SHARED | MAP_POPULATE, memory, 0);
    if (at == MAP_FAILED) {
        ::close(memory);
        return -1;
    }
    std::memcpy(at, data, size_t(bytes));
    munmap(at, size_t(bytes));
    return memory;
}

int sharedPixels(const QImage& image) {
    return sharedBytes(image.constBits(), image.sizeInBytes());
}

void answerText(Answer& a, const QByteArray& text) {
    const QByteArray sent = text.left(MostTextBytes);
    const int memory = sent.isEmpty() ? -1 : sharedBytes(sent.constData(), sent.size());
    if (memory >= 0) {
        a.flags |= Text;
        a.width = qint32(sent.size());
    }
    sendMessage(HelperSocket, &a, sizeof a, memory);
    if (memory >= 0)
        ::close(memory);
}

void answer(const PictureLoad& load) {
    Answer a;
    a.delayMs = load.delayMs;
    a.error = qint32(load.error);
    a.claimedWidth = load.claimed.width();
    a.claimedHeight = load.claimed.height();
    a.previewOffset = load.embedded.offset;
    a.previewLength = load.embedded.length;
    a.previewOrientation = load.embedded.orientation;
    a.flags = (load.animated ? quint32(Animated) : 0u) | (load.outside ? quint32(Outside) : 0u) |
              (load.quickScaled ? quint32(QuickScaled) : 0u);
    if (!load.properties.isEmpty())
        return answerText(a, load.properties);
    QImage image = load.image;
    if (!image.isNull() && !sentAsItIs(image.format()))
        image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    // A canvas decoded in shared memory is sent as it is; any other picture is copied into one.
    const int canvas = image.isNull() ? -1 : sharedCanvasMemory(image);
    const int memory = canvas >= 0 || image.isNull() ? canvas : sharedPixels(image);
    if (memory >= 0) {
        a.width = image.width();
        a.height = image.height();
        a.bytesPerLine = int(image.bytesPerLine());
        a.format = int(image.format());
    }
    sendMessage(HelperSocket, &a, sizeof a, memory);
    if (memory >= 0 && memory != canvas)
        ::close(memory);
}

QByteArray contentsOf(int fd) {
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0 || info.st_size > (qint64(16) << 20))
        return {};
    QByteArray bytes(qsizetype(info.st_size), Qt::Uninitialized);
    return pread(fd, bytes.data(), size_t(bytes.size()), 0) == info.st_size ? bytes : QByteArray();
}

// What a decoder taken over by a hostile file might try: the filter ends the helper first, or,
// for a path, refuses it (the answer's claimed width is the open's errno).
void tryBeyondTheWall(Kind kind) {
    if (kind == Kind::TryOpen) {
        const int fd = ::open("/etc/passwd", O_RDONLY);
        Answer refused;
        refused.error = qint32(PictureError::NotAPicture);
        refused.claimedWidth = fd < 0 ? errno : 0;
        sendMessage(HelperSocket, &refused, sizeof refused, -1);
        return;
    }
    if (kind == Kind::TrySocket)
        ::close(::socket(AF_INET, SOCK_STREAM, 0));
    if (kind == Kind::TryExec)
        execl("/bin/true", "true", nullptr);
}

// The animation whose frames were asked last, kept between requests so that each frame costs
// one frame's decoding. Another file, or a frame out of turn (asked of another helper before),
// starts it again and passes over the frames before the one asked.
struct Animation {
    struct stat file {};
    quint32 next = 0;
    std::unique_ptr<FrameReader> frames;
};
Animation animation;

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

void serveFrame(int fd, quint32 number) {
    struct stat file {};
    if (fstat(fd, &file) != 0)
        return answer({PictureError::Missing, {}, {}});
    if (!animation.frames || !sameFile(animation.file, file) || number != animation.next) {
        animation = {file, 0, std::make_unique<FrameReader>(fd)};
        animation.frames->skip(number - 1);
    }
    animation.next = number + 1;
    PictureLoad frame{PictureError::None, animation.frames->next(), {}};
    frame.error = frame.image.isNull() ? PictureError::NotAPicture : PictureError::None;
    frame.delayMs = animation.frames->delayMs();
    answer(frame);
}

void serve(const Request& request, int fd) {
    switch (request.kind) {
    case Kind::ScreenProfile:
        setScreenProfile(contentsOf(fd));
        return;
    case Kind::Frame:
        return serveFrame(fd, quint32(request.width));
    case Kind::Keep:
        return keepLargeMemory(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
    case Kind::Overview:
        return serveOverview(request, fd);
    case Kind::Region:
        return answer(serveRegion(request));
    case Kind::Load:
    case Kind::Size:
    case Kind::Scaled:
    case Kind::Thumbnail:
    case Kind::Exact:
    case Kind::Properties:
    case Kind::Preview:
        return answer(decodeHere(fd, DecodeKind(request.kind), request.room,
                                 {request.width, request.height}, false,
                                 {request.percent, request.tppX, request.tppY, request.box}));
    default:
        tryBeyondTheWall(request.kind);
    }
}
} // namespace

int runDecoderHelper(int argc, char* argv[]) {
    shareOneMemoryArena();
    ignoreBrokenPipes();
    QCoreApplication app(argc, argv);
    QImageReader::supportedImageFormats(); // every plugin loaded while files can still be opened
    useSharedCanvases();
    if (!enterSandbox(PictureBudgetBytes * 3))
        return 3;
    const Answer ready; // walled in: the viewer may send files now
    if (!sendMessage(HelperSocket, &ready, sizeof ready, -1))
        return 0;
    for (;;) {
        Request request;
        int fd = -1;
        if (!receiveMessage(HelperSocket, &request, sizeof request, &fd))
            return 0; // the viewer has gone
        if (request.magic == Magic && request.kind == Kind::Canvas && fd >= 0) {
            keepGivenCanvas(fd); // no answer: the viewer asks for a picture next
            continue;
        }
        if (request.magic == Magic)
            serve(request, fd);
        forgetGivenCanvases();
        if (fd >= 0)
            ::close(fd);
    }
}

} // namespace tovik::decoder
