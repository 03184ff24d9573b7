// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/helper/protocol.h"

#include <cerrno>
#include <cstring>

#include <sys/socket.h>
#include <unistd.h>

namespace tovik::decoder {

namespace {
// Room for a few descriptors, so that a sender of more is caught rather than cut short.
constexpr std::size_t Descriptors = 4;

template <typename Call> ssize_t retried(Call call) {
    ssize_t done;
    do
        done = call();
    while (done < 0 && errno == EINTR);
    return done;
}

// The descriptors beside a received message: the first in *fd, any others closed.
bool takeDescriptors(msghdr& message, int* fd) {
    *fd = -1;
    int count = 0;
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_RIGHTS)
            continue;
        const std::size_t n = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (std::size_t i = 0; i < n; ++i) {
            int received;
            std::memcpy(&received, CMSG_DATA(c) + i * sizeof(int), sizeof(int));
            if (count++ == 0)
                *fd = received;
            else
                ::close(received);
        }
    }
    return count <= 1 && !(message.msg_flags & MSG_CTRUNC);
}
} // namespace

bool sentAsItIs(QImage::Format format) {
    switch (format) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_Grayscale8:
    case QImage::Format_RGBA64:
    case QImage::Format_RGBX64:
        return true;
    default:
        return false;
    }
}

bool sendMessage(int socket, const void* data, std::size_t size, int fd) {
    iovec part{const_cast<void*>(data), size};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    if (fd >= 0) {
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr* c = CMSG_FIRSTHDR(&message);
        c->cmsg_level = SOL_SOCKET;
        c->cmsg_type = SCM_RIGHTS;
        c->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(c), &fd, sizeof(int));
    }
    return retried([&] { return ::sendmsg(socket, &message, MSG_NOSIGNAL); }) == ssize_t(size);
}

bool receiveMessage(int socket, void* data, std::size_t size, int* fd) {
    iovec part{data, size};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * Descriptors)] = {};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t got = retried([&] { return ::recvmsg(socket, &message, MSG_CMSG_CLOEXEC); });
    const bool descriptors = got >= 0 && takeDescriptors(message, fd);
    if (got == ssize_t(size) && descriptors && !(message.msg_flags & MSG_TRUNC))
        return true;
    if (got >= 0 && *fd >= 0)
        ::close(*fd);
    *fd = -1;
    return false;
}

} // namespace tovik::decoder
