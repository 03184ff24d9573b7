// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "platform/filestamp.h"

#include <QCryptographicHash>
#include <QFile>

#include <sys/stat.h>

namespace tovik {

QString fileStamp(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    return QStringLiteral("%1:%2.%3:%4.%5:%6:%7")
        .arg(st.st_size)
        .arg(st.st_mtim.tv_sec)
        .arg(st.st_mtim.tv_nsec)
        .arg(st.st_ctim.tv_sec)
        .arg(st.st_ctim.tv_nsec)
        .arg(st.st_ino)
        .arg(st.st_dev);
}

QByteArray fileDigest(const QString& path) {
    QFile file(path);
    QCryptographicHash digest(QCryptographicHash::Sha256);
    return file.open(QIODevice::ReadOnly) && digest.addData(&file) ? digest.result() : QByteArray();
}

} // namespace tovik
