// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/helper/decoderclient.h"

#include "imaging/colour/screencolours.h"
#include "imaging/decoding/canvas.h"
#include "imaging/decoding/decodehere.h"
#include "imaging/decoding/route.h"
#include "imaging/helper/givencanvases.h"
#include "imaging/helper/protocol.h"
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
struct Helper {
    pid_t pid = -1;
    int socket = -1;
    bool ready = false;                // it has said it is walled in
    std::optional<QByteArray> profile; // the screen's profile it was given
};

QString findHelper() {
    const QString named = qEnvironmentVariable("TOVIK_DECODER_HELPER");
    if (!named.isEmpty())
        return named;
    // The program's own folder, known before the application is made.
    const QString here =
        QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).path();
    // Beside the viewer in a build folder (or one up, for the tests' and benchmarks' programs);
    // in the package's private folder once installed.
    for (const QString& candidate :
         {here + QStringLiteral("/tovik-decoder"), here + QStringLiteral("/../tovik-decoder"),
          here + QStringLiteral("/../lib/tovik-viewer/tovik-decoder")})
        if (QFileInfo(candidate).isExecutable())
            return candidate;
    return {};
}

const QString& helperPath() {
    static const QString path = findHelper();
    return path;
}

int timeLimitMs() {
    const int set = qEnvironmentVariableIntValue("TOVIK_DECODER_TIME_LIMIT_MS");
    return set > 0 ? set : 20000;
}

// The helper's environment: nothing of the user's but what finds and checks its libraries.
std::vector<std::string> cleanEnvironment() {
    std::vector<std::string> kept;
    for (const char* name : {"LD_LIBRARY_PATH", "QT_PLUGIN_PATH", "ASAN_OPTIONS", "UBSAN_OPTIONS"})
        if (const char* value = std::getenv(name))
            kept.push_back(std::string(name) + "=" + value);
    return kept;
}

std::atomic<int> lastStatus{0};

void retire(const Helper& helper) {
    ::kill(helper.pid, SIGKILL); // a helper already dead keeps its own cause
    ::close(helper.socket);
    int status = 0;
    waitpid(helper.pid, &status, 0);
    lastStatus = status;
}

// The screen's profile, which the helper converts every picture into (none: sRGB).
void sendScreenProfile(Helper& helper) {
    const QByteArray icc = screenProfile();
    const int memory = icc.isEmpty() ? -1 : memfd_create("tovik-screen", MFD_CLOEXEC);
    if (memory >= 0 && write(memory, icc.constData(), size_t(icc.size())) != icc.size()) {
        ::close(memory);
        return;
    }
    Request request;
    request.kind = Kind::ScreenProfile;
    if (sendMessage(helper.socket, &request, sizeof request, memory))
        helper.profile = icc;
    if (memory >= 0)
        ::close(memory);
}

bool readable(int socket) {
    pollfd waiting{socket, POLLIN, 0};
    int ready;
    do
        ready = poll(&waiting, 1, timeLimitMs());
    while (ready < 0 && errno == EINTR);
    return ready == 1 && (waiting.revents & POLLIN);
}

// Whether the helper says it is walled in, before it is given any file.
bool isReady(const Helper& helper) {
    Answer ready;
    int none = -1;
    const bool said = readable(helper.socket) &&
                      receiveMessage(helper.socket, &ready, sizeof ready, &none) &&
                      ready.magic == Magic;
    if (none >= 0)
        ::close(none);
    return said && none < 0;
}

// A helper started, not yet waited for.
std::optional<Helper> launched() {
    int pair[2];
    if (helperPath().isEmpty() || socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0)
        return {};
    const int childEnd = fcntl(pair[1], F_DUPFD_CLOEXEC, 10); // never 3 itself: dup2 must clear
    ::close(pair[1]);
    const QByteArray program = QFile::encodeName(helperPath());
    std::vector<std::string> environment = cleanEnvironment();
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(program.constData()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, childEnd, HelperSocket);
    Helper helper;
    helper.socket = pair[0];
    const bool started = childEnd >= 0 && posix_spawn(&helper.pid, program.constData(), &actions,
                                                      nullptr, argv, envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    ::close(childEnd);
    if (!started) {
        ::close(pair[0]);
        return {};
    }
    return helper;
}

// Whether the helper is walled in and converts into the screen's colours of now, waiting for it
// the first time.
bool prepared(Helper& helper) {
    if (!helper.ready && !(helper.ready = isReady(helper)))
        return false;
    if (helper.profile != screenProfile())
        sendScreenProfile(helper);
    return helper.profile == screenProfile();
}

// A helper taken from the pool made ready for a request, or a new one in its place.
std::optional<Helper> readied(std::optional<Helper> helper) {
    for (int tries = 0; tries < 2; ++tries) {
        if (!helper)
            helper = launched();
        if (!helper || prepared(*helper))
            return helper;
        retire(*helper);
        helper.reset();
    }
    return {};
}

// Helpers waiting for work: one for each thread that decodes at once, kept for the next picture,
// and the one that gave an animation's last frame, kept for its next: it holds the animation
// where it left it, where any other would decode every frame before the one asked again.
class Pool {
public:
    ~Pool() {
        for (const Helper& helper : m_idle)
            retire(helper);
        if (m_frames)
            retire(*m_frames);
    }
    std::optional<Helper> takeForFrames() {
        std::optional<Helper> kept;
        {
            const std::lock_guard lock(m_mutex);
            kept = std::exchange(m_frames, std::nullopt);
        }
        return kept ? readied(kept) : take();
    }
    void giveForFrames(const Helper& helper) {
        std::optional<Helper> before;
        {
            const std::lock_guard lock(m_mutex);
            before = std::exchange(m_frames, helper);
        }
        if (before)
            give(*before);
    }
    std::optional<Helper> take() {
        std::optional<Helper> idle;
        {
            const std::lock_guard lock(m_mutex);
            if (!m_idle.empty()) {
                idle = m_idle.back();
                m_idle.pop_back();
            }
        }
        return readied(idle);
    }
    void give(const Helper& helper) {
        const std::lock_guard lock(m_mutex);
        if (m_idle.size() < std::size_t(QThread::idealThreadCount() + 2))
            return m_idle.push_back(helper);
        retire(helper);
    }

private:
    std::mutex m_mutex;
    std::vector<Helper> m_idle;
    std::optional<Helper> m_frames;
};

Pool& pool() {
    static Pool helpers;
    return helpers;
}

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
    unsigned char head[10] = {};
    if (pread(fd, head, 2, 0) != 2 || head[0] != 0xff || head[1] != 0xd8)
        return false;
    for (off_t at = 2; pread(fd, head, sizeof head, at) == sizeof head && head[0] == 0xff;
         at += 2 + (head[2] << 8 | head[3])) {
        const unsigned marker = head[1];
        if (marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc)
            return head[9] == 1 || head[9] == 3;
        if (marker == 0xda || marker == 0xd9)
            return false;
    }
    return false;
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

void startAhead() {
    if (qEnvironmentVariableIsSet("TOVIK_DECODE_IN_PROCESS") || helperPath().isEmpty())
        return;
    if (const std::optional<Helper> helper = launched()) // walls itself in while the viewer starts
        pool().give(*helper);
}

int lastEndingSignal() {
    return WIFSIGNALED(lastStatus.load()) ? WTERMSIG(lastStatus.load()) : 0;
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
