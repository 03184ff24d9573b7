// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "imaging/thumbnailcache.h"

#include "imaging/pictures.h"
#include "imaging/thumbcache/pngtext.h"

#include <QBuffer>
#include <QColorSpace>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QTemporaryFile>

#include <cstdio>
#include <cstring>
#include <optional>

#include <sys/stat.h>

namespace tovik {

namespace {
const QByteArray UriKey = "Thumb::URI", MTimeKey = "Thumb::MTime", SizeKey = "Thumb::Size";
// A thumbnail of 256 pixels a side is far smaller than this; a file that is not is no thumbnail.
constexpr qint64 MostThumbnailBytes = 1 << 20;

// What GLib leaves as it is in a file URI's path; every other byte is escaped.
bool keptInUri(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           (c != 0 && std::strchr("-._~!$&'()*+,=:@/", c) != nullptr);
}

// A folder the user alone may enter, made with the folders above it where they are missing.
bool makePrivateFolder(const QString& folder) {
    if (QFileInfo(folder).isDir())
        return true;
    QDir().mkpath(QFileInfo(folder).absolutePath());
    return ::mkdir(QFile::encodeName(folder).constData(), 0700) == 0 || QFileInfo(folder).isDir();
}

QByteArray pngBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return QImageWriter(&buffer, "png").write(image) ? bytes : QByteArray();
}

// bytes as file, whole or not at all: written beside it, then put in its place.
void replaceWith(const QString& file, const QByteArray& bytes) {
    QTemporaryFile temporary(file + QStringLiteral(".XXXXXX")); // made for the user alone
    if (bytes.isEmpty() || !temporary.open() || temporary.write(bytes) != bytes.size() ||
        !temporary.flush())
        return;
    if (std::rename(QFile::encodeName(temporary.fileName()).constData(),
                    QFile::encodeName(file).constData()) == 0)
        temporary.setAutoRemove(false);
}

QHash<QByteArray, QByteArray> textOfFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MostThumbnailBytes)
        return {};
    return pngText(file.read(MostThumbnailBytes));
}
} // namespace

struct ThumbnailCache::Facts {
    QString path;
    QByteArray uri;
    QString name;
    qint64 modified = 0; // seconds since the epoch
    qint64 size = 0;

    // Whether a thumbnail's text says it stands for this file as it is now.
    bool standsFor(const QHash<QByteArray, QByteArray>& text) const {
        return text.value(UriKey) == uri && text.value(MTimeKey) == QByteArray::number(modified) &&
               (!text.contains(SizeKey) || text.value(SizeKey) == QByteArray::number(size));
    }
};

std::optional<ThumbnailCache::Facts> ThumbnailCache::factsOf(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    struct stat info;
    if (path.isEmpty() || ::stat(QFile::encodeName(absolute).constData(), &info) != 0 ||
        !S_ISREG(info.st_mode))
        return std::nullopt;
    return Facts{absolute, uri(absolute), fileName(absolute), qint64(info.st_mtime),
                 qint64(info.st_size)};
}

ThumbnailCache::ThumbnailCache(QString root, Size size, QString failNames)
    : m_root(std::move(root)), m_size(size), m_failNames(std::move(failNames)) {}

QByteArray ThumbnailCache::uri(const QString& path) {
    QByteArray uri = "file://";
    for (const char c : QFile::encodeName(QFileInfo(path).absoluteFilePath())) {
        if (keptInUri(c))
            uri += c;
        else
            uri += '%' + QByteArray::number(uchar(c), 16).rightJustified(2, '0').toUpper();
    }
    return uri;
}

QString ThumbnailCache::fileName(const QString& path) {
    return QString::fromLatin1(
               QCryptographicHash::hash(uri(path), QCryptographicHash::Md5).toHex()) +
           QStringLiteral(".png");
}

QString ThumbnailCache::folder() const {
    return m_root + (m_size == Size::Large ? QStringLiteral("/large") : QStringLiteral("/normal"));
}

QImage ThumbnailCache::cached(const QString& path) const {
    const std::optional<Facts> file = factsOf(path);
    return file ? cachedFor(*file) : QImage();
}

QImage ThumbnailCache::thumbnail(const QString& path, bool anew) const {
    const std::optional<Facts> file = factsOf(path);
    if (!file)
        return {};
    if (QImage image = anew ? QImage() : cachedFor(*file); !image.isNull())
        return image;
    if (!anew && failedBefore(*file))
        return {};
    const PictureLoad load = loadThumbnail(file->path, {1, 15, 15, int(m_size)});
    if (load.image.isNull()) {
        if (load.error == PictureError::NotAPicture || load.error == PictureError::TooLarge)
            noteFailure(*file);
        return {};
    }
    store(*file, load.image, load.claimed);
    return load.image;
}

QImage ThumbnailCache::cachedFor(const Facts& file) const {
    if (m_root.isEmpty())
        return {};
    const QString stored = folder() + u'/' + file.name;
    if (!file.standsFor(textOfFile(stored)))
        return {};
    const int side = int(m_size);
    // The cache is written by every program of the user's: its files are decoded behind the wall.
    const QImage image = loadPicture(stored, qint64(MostThumbnailBytes) * 4).image;
    if (image.isNull() || (image.width() <= side && image.height() <= side))
        return image;
    return image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

bool ThumbnailCache::failedBefore(const Facts& file) const {
    return !m_root.isEmpty() && file.standsFor(textOfFile(m_root + QStringLiteral("/fail/") +
                                                          m_failNames + u'/' + file.name));
}

void ThumbnailCache::store(const Facts& file, const QImage& thumbnail, QSize picture) const {
    if (m_root.isEmpty() || file.path.startsWith(m_root + u'/') || !makePrivateFolder(m_root) ||
        !makePrivateFolder(folder()))
        return; // never thumbnails of thumbnails
    QImage stored = thumbnail;
    stored.setColorSpace(QColorSpace()); // what the desktop takes a thumbnail to be: sRGB
    stored.setText(QString::fromLatin1(UriKey), QString::fromLatin1(file.uri));
    stored.setText(QString::fromLatin1(MTimeKey), QString::number(file.modified));
    stored.setText(QString::fromLatin1(SizeKey), QString::number(file.size));
    if (picture.isValid()) {
        stored.setText(QStringLiteral("Thumb::Image::Width"), QString::number(picture.width()));
        stored.setText(QStringLiteral("Thumb::Image::Height"), QString::number(picture.height()));
    }
    stored.setText(QStringLiteral("Software"), QStringLiteral("Tovik Viewer"));
    replaceWith(folder() + u'/' + file.name, pngBytes(stored));
}

void ThumbnailCache::noteFailure(const Facts& file) const {
    const QString fail = m_root + QStringLiteral("/fail");
    const QString mine = fail + u'/' + m_failNames;
    if (m_root.isEmpty() || file.path.startsWith(m_root + u'/') || !makePrivateFolder(m_root) ||
        !makePrivateFolder(fail) || !makePrivateFolder(mine))
        return;
    QImage empty(1, 1, QImage::Format_ARGB32);
    empty.fill(Qt::transparent);
    empty.setText(QString::fromLatin1(UriKey), QString::fromLatin1(file.uri));
    empty.setText(QString::fromLatin1(MTimeKey), QString::number(file.modified));
    replaceWith(mine + u'/' + file.name, pngBytes(empty));
}

} // namespace tovik
