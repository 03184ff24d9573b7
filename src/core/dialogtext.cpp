// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "core/dialogtext.h"

#include <QDir>
#include <QFileInfo>

namespace tovik {

namespace {
QString qtPatterns(const QString& patterns) {
    QStringList out;
    for (const QString& p : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (p == QLatin1String("*.*")) {
            out << QStringLiteral("*");
            continue;
        }
        out << p;
        if (p.toUpper() != p)
            out << p.toUpper();
    }
    return out.join(QLatin1Char(' '));
}

// "/p/q" as "", "p", "q"; the root as "" alone.
QStringList folderParts(const QString& path) {
    QStringList parts = QFileInfo(path).absolutePath().split(QLatin1Char('/'));
    if (parts.size() > 1 && parts.last().isEmpty())
        parts.removeLast();
    return parts;
}

QString withoutPatterns(QString description) {
    const qsizetype open = description.lastIndexOf(QLatin1Char('('));
    if (open > 0 && description.endsWith(QLatin1Char(')')))
        description.truncate(open);
    return description.trimmed();
}
} // namespace

QStringList qtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        out << withoutPatterns(parts[i]) + QStringLiteral(" (") + qtPatterns(parts[i + 1]) +
                   QLatin1Char(')');
    return out;
}

QString selectedFilesText(const QStringList& paths) {
    if (paths.size() == 1)
        return QDir::toNativeSeparators(paths.first());
    // Names typed into the dialog may come from several folders: the folder is the one they
    // all share, and each name keeps the rest of its path.
    QStringList folder = folderParts(paths.first());
    for (const QString& path : paths) {
        const QStringList own = folderParts(path);
        qsizetype shared = 0;
        while (shared < folder.size() && shared < own.size() && folder[shared] == own[shared])
            ++shared;
        folder = folder.mid(0, shared);
    }
    // At the root the folder is empty: joining it with a name then gives one leading separator.
    const QString common = folder.join(QLatin1Char('/'));
    QString text = QDir::toNativeSeparators(common);
    for (const QString& path : paths)
        text += QChar(0) +
                QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath().mid(common.size() + 1));
    return text;
}

QStringList splitSelectedFiles(const QString& text, QChar separator) {
    if (!text.contains(QChar(0)))
        return {text};
    const QStringList pieces = text.split(QChar(0));
    QStringList paths;
    for (qsizetype k = 1; k < pieces.size(); ++k)
        paths << pieces.first() + separator + pieces[k];
    return paths;
}

} // namespace tovik
