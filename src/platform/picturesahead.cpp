// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "platform/picturesahead.h"

#include <QFile>
#include <QtConcurrent/qtconcurrenttask.h>

#include <algorithm>

#include <sys/stat.h>

namespace tovik {

namespace {
// What the picture about to be shown is decoded with, whatever is held beside it.
constexpr qint64 WholeBudget = -1;

qint64 nanoseconds(const timespec& t) {
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}
} // namespace

PicturesAhead::PicturesAhead() {
    // One worker: the other core stays with the user interface, and decodes do not pile up.
    m_workers.setMaxThreadCount(1);
}

PicturesAhead::~PicturesAhead() = default; // the workers wait for a decode still running

// The change time moves with every write and every touch of the file, even one that puts the
// modification time back (cp -p, rsync -t, unzip over a file).
std::optional<PicturesAhead::Stamp> PicturesAhead::stampOf(const QString& path) {
    struct stat info {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0 ||
        !S_ISREG(info.st_mode))
        return std::nullopt;
    return Stamp{info.st_size, nanoseconds(info.st_mtim), nanoseconds(info.st_ctim),
                 quint64(info.st_ino), quint64(info.st_dev)};
}

qint64 PicturesAhead::Ledger::total() {
    qint64 sum = 0;
    for (const auto& [ticket, held] : bytes)
        sum += held;
    return sum;
}

PictureLoad PicturesAhead::decode(std::shared_ptr<Ledger> ledger, quint64 ticket, QString path,
                                  qint64 shownBytes) {
    qint64 room = PictureBudgetBytes;
    if (shownBytes != WholeBudget) {
        const QMutexLocker lock(&ledger->mutex);
        room -= shownBytes + ledger->total();
    }
    PictureLoad load = loadPicture(path, room);
    const QMutexLocker lock(&ledger->mutex);
    if (const auto entry = ledger->bytes.find(ticket); entry != ledger->bytes.end())
        entry->second = load.image.sizeInBytes();
    return load;
}

PicturesAhead::Decode PicturesAhead::start(const QString& path, const Stamp& stamp,
                                           qint64 shownBytes, int priority) {
    const quint64 ticket = m_nextTicket++;
    {
        const QMutexLocker lock(&m_ledger->mutex);
        m_ledger->bytes[ticket] = 0;
    }
    return {path, stamp, ticket,
            QtConcurrent::task([ledger = m_ledger, ticket, path, shownBytes] {
                return decode(ledger, ticket, path, shownBytes);
            })
                .onThreadPool(m_workers)
                .withPriority(priority)
                .spawn()};
}

void PicturesAhead::makeRoom() {
    while (m_ahead.size() >= MostHeld) {
        m_ahead.front().picture.cancel(); // one not yet started never starts
        letGo(m_ahead.front());           // one under way ends unheard
        m_ahead.pop_front();
    }
}

void PicturesAhead::decodeAhead(const QString& path, qint64 shownBytes) {
    const auto waiting = [&](const Decode& a) { return a.path == path; };
    if (std::any_of(m_ahead.begin(), m_ahead.end(), waiting))
        return;
    const std::optional<Stamp> stamp = stampOf(path);
    if (!stamp)
        return;
    makeRoom();
    m_ahead.push_back(start(path, *stamp, shownBytes, 0));
}

PicturesAhead::Decode PicturesAhead::claim(const QString& path) {
    const auto found = std::find_if(m_ahead.begin(), m_ahead.end(),
                                    [&](const Decode& a) { return a.path == path; });
    if (found != m_ahead.end()) {
        const Decode decode = *found;
        m_ahead.erase(found);
        return decode;
    }
    const std::optional<Stamp> stamp = stampOf(path);
    if (!stamp)
        return {path, {}, 0, {}};
    return start(path, *stamp, WholeBudget, 1); // before those still to start
}

PictureLoad PicturesAhead::result(const Decode& decode) {
    letGo(decode);
    if (!decode.picture.isValid() || stampOf(decode.path) != std::optional(decode.stamp))
        return loadPicture(decode.path); // changed since: what it holds now is what counts
    PictureLoad load = decode.picture.result();
    if (load.error == PictureError::NoRoom)
        return loadPicture(decode.path); // now that it is the one shown, it has the budget
    return load;
}

PictureLoad PicturesAhead::take(const QString& path) {
    const auto found = std::find_if(m_ahead.begin(), m_ahead.end(),
                                    [&](const Decode& a) { return a.path == path; });
    if (found == m_ahead.end())
        return loadPicture(path);
    return result(claim(path));
}

bool PicturesAhead::ready(const QString& path) const {
    return std::any_of(m_ahead.begin(), m_ahead.end(),
                       [&](const Decode& a) { return a.path == path && a.ready(); });
}

void PicturesAhead::giveBack(const Decode& decode) {
    if (!decode.picture.isValid())
        return;
    makeRoom();
    m_ahead.push_back(decode);
}

void PicturesAhead::letGo(const Decode& decode) {
    const QMutexLocker lock(&m_ledger->mutex);
    m_ledger->bytes.erase(decode.ticket);
}

qint64 PicturesAhead::heldBytes() const {
    const QMutexLocker lock(&m_ledger->mutex);
    return m_ledger->total();
}

void PicturesAhead::clear() {
    for (Decode& ahead : m_ahead) {
        ahead.picture.cancel();
        letGo(ahead);
    }
    m_ahead.clear();
}

void PicturesAhead::onWorker(const std::function<void()>& work) {
    m_workers.start(work);
}

} // namespace tovik
