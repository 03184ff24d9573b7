#include "platform/picturesahead.h"

#include <QFile>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

#include <sys/stat.h>

namespace tovik {

PicturesAhead::PicturesAhead() {
    // One worker: the other core stays with the user interface, and decodes do not pile up.
    m_workers.setMaxThreadCount(1);
}

PicturesAhead::~PicturesAhead() = default; // the workers wait for a decode still running

std::optional<PicturesAhead::Stamp> PicturesAhead::stampOf(const QString& path) {
    struct stat info {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0 ||
        !S_ISREG(info.st_mode))
        return std::nullopt;
    return Stamp{info.st_size, qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
                 quint64(info.st_ino), quint64(info.st_dev)};
}

void PicturesAhead::decodeAhead(const QString& path) {
    const auto waiting = [&](const Ahead& a) { return a.path == path; };
    if (std::any_of(m_ahead.begin(), m_ahead.end(), waiting))
        return;
    const std::optional<Stamp> stamp = stampOf(path);
    if (!stamp)
        return;
    if (m_ahead.size() == MostHeld)
        m_ahead.pop_front(); // a decode still running ends unheard
    m_ahead.push_back({path, *stamp, QtConcurrent::run(&m_workers, loadPicture, path)});
}

PictureLoad PicturesAhead::take(const QString& path) {
    const auto found = std::find_if(m_ahead.begin(), m_ahead.end(),
                                    [&](const Ahead& a) { return a.path == path; });
    if (found == m_ahead.end())
        return loadPicture(path);
    const Ahead ahead = *found;
    m_ahead.erase(found);
    if (stampOf(path) != std::optional(ahead.stamp))
        return loadPicture(path); // changed since: what it holds now is what counts
    return ahead.picture.result();
}

void PicturesAhead::clear() {
    m_ahead.clear();
}

} // namespace tovik
