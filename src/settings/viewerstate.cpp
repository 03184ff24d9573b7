// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "settings/viewerstate.h"

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
}

} // namespace tovik
