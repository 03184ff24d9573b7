// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QString>
#include <QStringList>

namespace tovik {

// "desc|*.a;*.b|desc2|*.c" as Qt's name filters, "desc (*.a *.A *.b *.B)": a file dialog on a
// case-sensitive file system still lists PHOTO.JPG under *.jpg. "*.*" means every file.
QStringList qtNameFilters(const QString& filter);

// The Open dialog's answer as text: one path alone, or the folder followed by each name after
// a NUL, in the order given. Paths in the platform's separators.
QString selectedFilesText(const QStringList& paths);

// Splits that text into full paths: folder, one separator, name (whatever the folder ends with).
QStringList splitSelectedFiles(const QString& text, QChar separator);

} // namespace tovik
