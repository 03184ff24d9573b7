// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "settings/viewerstate.h"

#include <algorithm>

namespace tovik {

const QString& ViewerState::PictureList(qint32 index) const {
    static const QString none;
    if (index < 1 || index > m_pictures.size())
        return none;
    return m_pictures.at(index - 1);
}

void ViewerState::setPictureList(const QStringList& paths) {
    m_pictures = paths;
    PictureCount = qint32(m_pictures.size());
}

void ViewerState::appendPicture(const QString& path) {
    m_pictures.append(path);
    PictureCount = qint32(m_pictures.size());
}

void ViewerState::clearPictureList() {
    m_pictures.clear();
    PictureCount = 0;
    ListFolder.clear();
}

void ViewerState::removePicture(qint32 index) {
    if (index < 1 || index > m_pictures.size())
        return;
    m_pictures.removeAt(index - 1);
    PictureCount = qint32(m_pictures.size());
}

void ViewerState::insertPicture(qint32 index, const QString& path) {
    m_pictures.insert(std::clamp<qsizetype>(index - 1, 0, m_pictures.size()), path);
    PictureCount = qint32(m_pictures.size());
}

} // namespace tovik
