// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "platform/picturesahead.h"

#include <QFile>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

#include <sys/stat.h>

namespace tovik {

namespace {
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
    qint64 room;
    {
        const QMutexLocker lock(&ledger->mutex);
        room = PictureBudgetBytes - shownBytes - ledger->total();
    }
    PictureLoad load = loadPicture(path, room);
    const QMutexLocker lock(&ledger->mutex);
    if (const auto entry = ledger->bytes.find(ticket); entry != ledger->bytes.end())
        entry->second = load.image.sizeInBytes();
    return load;
}

void PicturesAhead::decodeAhead(const QString& path, qint64 shownBytes) {
    const auto waiting = [&](const Ahead& a) { return a.path == path; };
    if (std::any_of(m_ahead.begin(), m_ahead.end(), waiting))
        return;
    const std::optional<Stamp> stamp = stampOf(path);
    if (!stamp)
        return;
    if (m_ahead.size() == MostHeld) {
        forget(m_ahead.front()); // a decode still running ends unheard
        m_ahead.pop_front();
    }
    const quint64 ticket = m_nextTicket++;
    {
        const QMutexLocker lock(&m_ledger->mutex);
        m_ledger->bytes[ticket] = 0;
    }
    m_ahead.push_back({path, *stamp, ticket,
                       QtConcurrent::run(&m_workers, decode, m_ledger, ticket, path, shownBytes)});
}

void PicturesAhead::forget(const Ahead& ahead) {
    const QMutexLocker lock(&m_ledger->mutex);
    m_ledger->bytes.erase(ahead.ticket);
}

PictureLoad PicturesAhead::take(const QString& path) {
    const auto found = std::find_if(m_ahead.begin(), m_ahead.end(),
                                    [&](const Ahead& a) { return a.path == path; });
    if (found == m_ahead.end())
        return loadPicture(path);
    const Ahead ahead = *found;
    m_ahead.erase(found);
    forget(ahead);
    if (stampOf(path) != std::optional(ahead.stamp))
        return loadPicture(path); // changed since: what it holds now is what counts
    PictureLoad load = ahead.picture.result();
    if (load.error == PictureError::NoRoom)
        return loadPicture(path); // now that it is the one shown, it has the budget
    return load;
}

qint64 PicturesAhead::heldBytes() const {
    const QMutexLocker lock(&m_ledger->mutex);
    return m_ledger->total();
}

void PicturesAhead::clear() {
    for (const Ahead& ahead : m_ahead)
        forget(ahead);
    m_ahead.clear();
}

} // namespace tovik
