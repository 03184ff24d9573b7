// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/picturesahead.h"

#include <QFile>
#include <QtConcurrent/QtConcurrentRun>

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
    // One worker ahead: the other core stays with the user interface, and decodes do not pile
    // up. The picture asked for now is decoded beside it only when it was not decoded ahead.
    m_workers.setMaxThreadCount(1);
    m_showing.setMaxThreadCount(1);
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

quint64 PicturesAhead::newTicket(qint64 bytes) {
    const QMutexLocker lock(&m_ledger->mutex);
    m_ledger->bytes[m_nextTicket] = bytes;
    return m_nextTicket++;
}

PicturesAhead::Decode PicturesAhead::start(const QString& path, const Stamp& stamp,
                                           qint64 shownBytes, QThreadPool& pool,
                                           qint64 expectedBytes) {
    const quint64 ticket = newTicket(expectedBytes);
    return {path, stamp, ticket,
            QtConcurrent::run(&pool, [ledger = m_ledger, ticket, path, shownBytes] {
                return decode(ledger, ticket, path, shownBytes);
            })};
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
    m_ahead.push_back(start(path, *stamp, shownBytes, m_workers));
}

PicturesAhead::Decode PicturesAhead::claim(const QString& path, qint64 expectedBytes) {
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
    return start(path, *stamp, WholeBudget, m_showing, expectedBytes);
}

PictureLoad PicturesAhead::result(const Decode& decode) {
    letGo(decode);
    if (decode.picture.isValid() && stampOf(decode.path) == std::optional(decode.stamp)) {
        const PictureLoad load = decode.picture.result();
        if (load.error != PictureError::NoRoom) {
            nowShown(decode, load);
            return load;
        }
    }
    // Changed since (what it holds now is what counts), or without the room it now has.
    const std::optional<Stamp> stamp = stampOf(decode.path);
    const PictureLoad load = loadPicture(decode.path);
    if (stamp)
        nowShown({decode.path, *stamp, 0, QtFuture::makeReadyFuture(load)}, load);
    return load;
}

// The picture shown before stays, decoded, for a step back; a picture that failed shows nothing
// new, so the one before is still the one shown.
void PicturesAhead::nowShown(const Decode& shown, const PictureLoad& load) {
    if (load.error != PictureError::None || load.image.isNull())
        return;
    const auto waiting = [&](const Decode& a) { return m_shown && a.path == m_shown->path; };
    if (m_shown && m_shown->path != shown.path &&
        std::none_of(m_ahead.begin(), m_ahead.end(), waiting)) {
        makeRoom();
        m_shown->ticket = newTicket(m_shown->picture.result().image.sizeInBytes());
        m_ahead.push_back(*m_shown);
    }
    m_shown = shown;
}

PictureLoad PicturesAhead::take(const QString& path) {
    const auto found = std::find_if(m_ahead.begin(), m_ahead.end(),
                                    [&](const Decode& a) { return a.path == path; });
    if (found != m_ahead.end())
        return result(claim(path));
    const std::optional<Stamp> stamp = stampOf(path);
    return result({path, stamp.value_or(Stamp()), 0,
                   stamp ? QtFuture::makeReadyFuture(loadPicture(path)) : QFuture<PictureLoad>()});
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
    m_shown.reset();
}

void PicturesAhead::onWorkers(const std::function<void()>& work) {
    m_workers.start(work);
    m_showing.start(work);
}

} // namespace tovik
