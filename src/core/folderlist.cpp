// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "core/folderlist.h"

#include <QSet>

#include <algorithm>

namespace tovik {

namespace {
// The digits that start at `at`.
QStringView digitsAt(QStringView name, qsizetype at) {
    qsizetype end = at;
    while (end < name.size() && name[end].isDigit())
        ++end;
    return name.mid(at, end - at);
}

// Digits compared as the number they write: without leading zeros, the longer is the larger.
int compareNumbers(QStringView x, QStringView y) {
    while (x.size() > 1 && x.front() == QLatin1Char('0'))
        x = x.mid(1);
    while (y.size() > 1 && y.front() == QLatin1Char('0'))
        y = y.mid(1);
    if (x.size() != y.size())
        return x.size() < y.size() ? -1 : 1;
    return x.compare(y);
}
} // namespace

int naturalCompare(QStringView a, QStringView b) {
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            const QStringView x = digitsAt(a, i), y = digitsAt(b, j);
            if (const int order = compareNumbers(x, y); order != 0)
                return order;
            i += x.size();
            j += y.size();
            continue;
        }
        const char16_t x = a[i].toCaseFolded().unicode(), y = b[j].toCaseFolded().unicode();
        if (x != y)
            return x < y ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1; // the one with more after a shared start comes later
    return 0;
}

namespace {
// The patterns are all "*.ext": a name matches by what follows its last dot. QDir::match would
// compile a regular expression for every pattern and name, which costs more than listing the
// folder.
bool isPictureName(const QString& name) {
    static const QSet<QString> extensions = [] {
        QSet<QString> set;
        for (const QString& pattern : PicturePatterns.split(QLatin1Char(';')))
            set.insert(pattern.mid(2));
        return set;
    }();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 && extensions.contains(name.mid(dot + 1).toLower());
}
} // namespace

QStringList picturesAmong(QStringList names) {
    names.removeIf([](const QString& name) { return !isPictureName(name); });
    // Names that differ only in case or zeros still come in one order, whatever the system gave.
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int order = naturalCompare(a, b);
        return order != 0 ? order < 0 : a < b;
    });
    return names;
}

} // namespace tovik
