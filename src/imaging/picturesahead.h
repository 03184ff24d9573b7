// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "imaging/pictures.h"

#include <QFuture>
#include <QMutex>
#include <QThreadPool>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace tovik {

// Pictures the user will most likely want next, decoded on a worker thread while the current
// one is looked at, and the one shown before, kept for a step back. A decoded picture is handed
// over only while its file is still the one that was decoded (same path, size, modification and
// change times, inode and device); otherwise the file is loaded again. A picture whose decoding
// would take the budget beside the one shown and those already held waits until it is shown itself.
// Nothing is reported here: a broken file's error travels with its load to whoever shows it.
class PicturesAhead {
public:
    // At most this many decoded pictures wait beside the one on screen.
    static constexpr size_t MostHeld = 2;

    PicturesAhead();
    ~PicturesAhead();

    // What identifies a file's contents: a decode is used only while they still match.
    struct Stamp {
        qint64 size = 0, modifiedNs = 0, changedNs = 0;
        quint64 inode = 0, device = 0;
        bool operator==(const Stamp&) const = default;
    };
    // A decode on the worker of the file at path, as it was when the decode started.
    struct Decode {
        QString path;
        Stamp stamp;
        quint64 ticket = 0;
        QFuture<PictureLoad> picture; // null when the file could not even be looked at
        bool ready() const { return picture.isValid() && picture.isFinished(); }
    };

    // Starts decoding path unless it is waiting already; the oldest waiting one makes room.
    // shownBytes is what the picture on screen takes.
    void decodeAhead(const QString& path, qint64 shownBytes);
    // The picture at path: the one decoded ahead (waiting for it if still running) when its
    // file has not changed, else loaded now. Either way it no longer waits here.
    PictureLoad take(const QString& path);
    // Whether the picture at path is decoded and waiting: take() gives it at once.
    bool ready(const QString& path) const;

    // The decode of path for the picture about to be shown: the one waiting here, else one
    // started at once with the whole budget, on a worker of its own. It no longer waits here,
    // but what it holds counts until it is let go or given back; expectedBytes, what its header
    // says it will take, counts from the start.
    Decode claim(const QString& path, qint64 expectedBytes = 0);
    // A claimed decode's picture, as take() gives it (waiting, or loaded afresh). It is the one
    // shown now: the one shown before waits here for a step back.
    PictureLoad result(const Decode& decode);
    // A claimed decode that was not used (the user stepped on first): it waits here again.
    void giveBack(const Decode& decode);
    // A claimed decode no longer wanted: it ends unheard.
    void letGo(const Decode& decode);
    void clear();

    size_t held() const { return m_ahead.size(); }
    // The bytes of the pictures decoded and waiting.
    qint64 heldBytes() const;
    // Blocks until every decode started has ended (for tests and benchmarks).
    void waitForDecodes() {
        m_workers.waitForDone();
        m_showing.waitForDone();
    }
    // Runs work on both workers, after what was started before (tests keep them busy so).
    void onWorkers(const std::function<void()>& work);

private:
    static std::optional<Stamp> stampOf(const QString& path);

    // What each waiting decode holds, by its ticket, shared with the worker; a decode whose
    // picture was let go before it ended records nothing.
    struct Ledger {
        QMutex mutex;
        std::map<quint64, qint64> bytes;
        qint64 total(); // with the mutex held
    };
    static PictureLoad decode(std::shared_ptr<Ledger> ledger, quint64 ticket, QString path,
                              qint64 shownBytes);
    Decode start(const QString& path, const Stamp& stamp, qint64 shownBytes, QThreadPool& pool,
                 qint64 expectedBytes = 0);
    quint64 newTicket(qint64 bytes);
    void makeRoom();
    void nowShown(const Decode& shown, const PictureLoad& load);

    std::shared_ptr<Ledger> m_ledger = std::make_shared<Ledger>();
    quint64 m_nextTicket = 1; // 0: a picture loaded as it was asked for, held by no ticket
    // Destroyed last: they wait for a decode still running. One decodes ahead; the other the
    // picture asked for now, when it was not decoded ahead, beside it.
    QThreadPool m_workers;
    QThreadPool m_showing;
    std::deque<Decode> m_ahead;
    std::optional<Decode> m_shown; // decoded, and on screen
};

} // namespace tovik
