// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QByteArray>
#include <QString>
#include <QThread>

#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include <sys/types.h>

namespace tovik::decoder {

struct Helper {
    pid_t pid = -1;
    int socket = -1;
    bool ready = false;                // it has said it is walled in
    std::optional<QByteArray> profile; // the screen's profile it was given
};

// Where the helper's program is; empty when it is not installed.
const QString& helperPath();
// How long a helper may take over one answer, in milliseconds.
int timeLimitMs();
// Ends a helper (killed, however it is) and waits for it.
void retire(const Helper& helper);
// How the helper retired last ended, as waitpid says.
int lastHelperStatus();
// Whether an answer waits on socket, waiting for it no longer than the time limit.
bool readable(int socket);
// A helper started, not yet waited for.
std::optional<Helper> launched();
// A helper ready for a request, walled in and converting into the screen's colours: helper when
// it still is, else a new one; none when no helper can be started.
std::optional<Helper> readied(std::optional<Helper> helper);

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

Pool& pool();

} // namespace tovik::decoder
