// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QByteArray>
#include <QStringList>

#include <functional>
#include <optional>

namespace tovik {

// How a folder's pictures are listed: by name in natural order (as they always were), by the
// date the photo was taken (its EXIF, else when the file was last changed), by that last change,
// by size, or by type; Reverse turns the whole order around.
enum class SortKey { Name, DateTaken, DateModified, Size, Type };
struct SortOrder {
    SortKey key = SortKey::Name;
    bool reverse = false;
    bool operator==(const SortOrder&) const = default;
};

// As kept in its file: "name", "taken", "modified", "size" or "type", then " reverse" when so.
QByteArray sortOrderText(SortOrder order);
// Nothing for text that is none of these.
std::optional<SortOrder> parseSortOrder(const QByteArray& text);

// What sorting needs to know of a file.
struct FileFacts {
    qint64 takenMs = -1; // when the photo was taken, -1 when its file does not say
    qint64 modifiedMs = 0;
    qint64 size = 0;
};

// The paths in order; files alike in what is sorted by follow their names' natural order.
QStringList sortedPaths(const QStringList& paths, SortOrder order,
                        const std::function<FileFacts(const QString&)>& factsOf);

} // namespace tovik
