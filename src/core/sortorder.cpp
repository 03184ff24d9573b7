// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "core/sortorder.h"

#include "core/folderlist.h"

#include <algorithm>
#include <array>
#include <utility>

namespace tovik {

namespace {
constexpr std::array<std::pair<SortKey, const char*>, 5> Names = {
    {{SortKey::Name, "name"},
     {SortKey::DateTaken, "taken"},
     {SortKey::DateModified, "modified"},
     {SortKey::Size, "size"},
     {SortKey::Type, "type"}}};

QStringView nameOf(const QString& path) {
    return QStringView(path).mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QStringView typeOf(const QString& path) {
    const QStringView name = nameOf(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QStringView() : name.mid(dot + 1);
}

struct Entry {
    QString path;
    FileFacts facts;
};

// Negative, zero or positive as a sorts before, with or after b by key alone.
int byKey(SortKey key, const Entry& a, const Entry& b) {
    const auto compare = [](qint64 x, qint64 y) { return x < y ? -1 : x > y ? 1 : 0; };
    switch (key) {
    case SortKey::Name:
        return 0;
    case SortKey::DateTaken: {
        const auto when = [](const FileFacts& f) {
            return f.takenMs >= 0 ? f.takenMs : f.modifiedMs;
        };
        return compare(when(a.facts), when(b.facts));
    }
    case SortKey::DateModified:
        return compare(a.facts.modifiedMs, b.facts.modifiedMs);
    case SortKey::Size:
        return compare(a.facts.size, b.facts.size);
    case SortKey::Type:
        return typeOf(a.path).compare(typeOf(b.path), Qt::CaseInsensitive);
    }
    return 0;
}
} // namespace

QByteArray sortOrderText(SortOrder order) {
    for (const auto& [key, name] : Names)
        if (key == order.key)
            return QByteArray(name) + (order.reverse ? " reverse" : "");
    return "name";
}

std::optional<SortOrder> parseSortOrder(const QByteArray& text) {
    const QList<QByteArray> words = text.simplified().split(' ');
    if (words.size() > 2 || (words.size() == 2 && words[1] != "reverse"))
        return std::nullopt;
    for (const auto& [key, name] : Names)
        if (words[0] == name)
            return SortOrder{key, words.size() == 2};
    return std::nullopt;
}

QStringList sortedPaths(const QStringList& paths, SortOrder order,
                        const std::function<FileFacts(const QString&)>& factsOf) {
    std::vector<Entry> entries;
    entries.reserve(size_t(paths.size()));
    for (const QString& path : paths)
        entries.push_back({path, order.key == SortKey::Name || order.key == SortKey::Type
                                     ? FileFacts{}
                                     : factsOf(path)});
    std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        int c = byKey(order.key, a, b);
        if (c == 0)
            c = naturalCompare(nameOf(a.path), nameOf(b.path));
        return order.reverse ? c > 0 : c < 0;
    });
    QStringList sorted;
    for (const Entry& entry : entries)
        sorted << entry.path;
    return sorted;
}

} // namespace tovik
