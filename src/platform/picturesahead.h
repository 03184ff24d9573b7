#pragma once

#include "platform/pictures.h"

#include <QFuture>
#include <QThreadPool>

#include <deque>
#include <optional>

namespace tovik {

// Pictures the user will most likely want next, decoded on a worker thread while the current
// one is looked at. A decoded picture is handed over only while its file is still the one that
// was decoded (same path, size, modification time and inode); otherwise the file is loaded again.
// Nothing is reported here: a broken file's error travels with its load to whoever shows it.
class PicturesAhead {
public:
    // At most this many decoded pictures wait beside the one on screen.
    static constexpr size_t MostHeld = 2;

    PicturesAhead();
    ~PicturesAhead();

    // Starts decoding path unless it is waiting already; the oldest waiting one makes room.
    void decodeAhead(const QString& path);
    // The picture at path: the one decoded ahead (waiting for it if still running) when its
    // file has not changed, else loaded now. Either way it no longer waits here.
    PictureLoad take(const QString& path);
    void clear();

    size_t held() const { return m_ahead.size(); }
    // Blocks until every decode started has ended (for tests and benchmarks).
    void waitForDecodes() { m_workers.waitForDone(); }

private:
    struct Stamp {
        qint64 size = 0, modifiedNs = 0;
        quint64 inode = 0, device = 0;
        bool operator==(const Stamp&) const = default;
    };
    static std::optional<Stamp> stampOf(const QString& path);

    struct Ahead {
        QString path;
        Stamp stamp;
        QFuture<PictureLoad> picture;
    };
    QThreadPool m_workers; // destroyed last: it waits for a decode still running
    std::deque<Ahead> m_ahead;
};

} // namespace tovik
