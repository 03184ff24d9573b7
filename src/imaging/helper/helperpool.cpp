// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/helper/helperpool.h"

#include "imaging/colour/screencolours.h"
#include "imaging/helper/protocol.h"

#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tovik::decoder {

namespace {
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

} // namespace

const QString& helperPath() {
    static const QString path = findHelper();
    return path;
}

int timeLimitMs() {
    const int set = qEnvironmentVariableIntValue("TOVIK_DECODER_TIME_LIMIT_MS");
    return set > 0 ? set : 20000;
}

// The helper's environment: nothing of the user's but what finds and checks its libraries.
namespace {
std::vector<std::string> cleanEnvironment() {
    std::vector<std::string> kept;
    for (const char* name : {"LD_LIBRARY_PATH", "QT_PLUGIN_PATH", "ASAN_OPTIONS", "UBSAN_OPTIONS"})
        if (const char* value = std::getenv(name))
            kept.push_back(std::string(name) + "=" + value);
    return kept;
}

std::atomic<int> lastStatus{0};

} // namespace

void retire(const Helper& helper) {
    ::kill(helper.pid, SIGKILL); // a helper already dead keeps its own cause
    ::close(helper.socket);
    int status = 0;
    waitpid(helper.pid, &status, 0);
    lastStatus = status;
}

// The screen's profile, which the helper converts every picture into (none: sRGB).
namespace {
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

} // namespace

bool readable(int socket) {
    pollfd waiting{socket, POLLIN, 0};
    int ready;
    do
        ready = poll(&waiting, 1, timeLimitMs());
    while (ready < 0 && errno == EINTR);
    return ready == 1 && (waiting.revents & POLLIN);
}

// Whether the helper says it is walled in, before it is given any file.
namespace {
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
} // namespace

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
namespace {
bool prepared(Helper& helper) {
    if (!helper.ready && !(helper.ready = isReady(helper)))
        return false;
    if (helper.profile != screenProfile())
        sendScreenProfile(helper);
    return helper.profile == screenProfile();
}

// A helper taken from the pool made ready for a request, or a new one in its place.
} // namespace

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

Pool& pool() {
    static Pool helpers;
    return helpers;
}

int lastHelperStatus() {
    return lastStatus;
}

} // namespace tovik::decoder
