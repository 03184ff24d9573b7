// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "platform/foldernames.h"

#include <QFile>

#include <memory>

#include <dirent.h>

namespace tovik {

QStringList namesThatCannotBeOpened(const QString& folder) {
    QStringList lost;
    const std::unique_ptr<DIR, int (*)(DIR*)> entries(opendir(QFile::encodeName(folder)), closedir);
    if (!entries)
        return lost;
    while (const dirent* entry = readdir(entries.get())) {
        const QByteArray name(entry->d_name);
        const QString shown = QFile::decodeName(name);
        if (QFile::encodeName(shown) != name)
            lost << shown;
    }
    return lost;
}

} // namespace tovik
