// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

namespace tovik {

// The desktop's shared thumbnails (freedesktop.org's Thumbnail Managing Standard), which file
// managers and viewers fill for each other: a picture's thumbnail is a PNG named by the MD5 of
// its file's URI, in normal (128 pixels a side) or large (256), that says which file it stands
// for and its modification time; one that no longer matches its file is made again. A file that
// is no picture is noted under fail/ and not tried again until it changes.
class ThumbnailCache {
public:
    enum class Size { Normal = 128, Large = 256 };

    // root: the cache's folder ($XDG_CACHE_HOME/thumbnails), none when empty: thumbnails are then
    // made each time and kept nowhere; failNames: the program's own folder under fail/, its name
    // and version.
    ThumbnailCache(QString root, Size size, QString failNames);

    // A file's URI, escaped as GLib escapes it, on which every program's thumbnails agree.
    static QByteArray uri(const QString& path);
    // The cache's name for the file's thumbnail: the MD5 of its URI in hex, and ".png".
    static QString fileName(const QString& path);

    // The picture's thumbnail, upright, fitting the size's square: the cache's while it stands for
    // the file as it is, else decoded (in the decoding helper) and stored. Null when the file is
    // no picture or missing. anew: the file was written within the second its thumbnail says,
    // which its time cannot tell; the cache's is not used. Safe to call from several threads.
    QImage thumbnail(const QString& path, bool anew = false) const;
    // The cache's thumbnail for the file as it is now, without making one; null when it has none.
    QImage cached(const QString& path) const;
    QString folder() const; // where this size's thumbnails are

private:
    struct Facts;
    static std::optional<Facts> factsOf(const QString& path);
    QImage cachedFor(const Facts& file) const;
    bool failedBefore(const Facts& file) const;
    void store(const Facts& file, const QImage& thumbnail, QSize picture) const;
    void noteFailure(const Facts& file) const;

    QString m_root;
    Size m_size;
    QString m_failNames;
};

} // namespace tovik
