// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QString>
#include <QStringList>

class QPrinter;

namespace tovik {

enum class DialogResult { Accepted, Cancelled, Failed };

struct FileAnswer {
    DialogResult result = DialogResult::Cancelled;
    // Open: one full path, or the folder, NUL, and each name after a NUL in the dialog's order.
    // Save: the full path chosen.
    QString text;
};

struct ColorAnswer {
    DialogResult result = DialogResult::Cancelled;
    qint32 color = 0; // 0x00BBGGRR
};

// The standard dialogs, owned by the main window. Filters are "description|patterns" pairs
// joined with "|", patterns separated by ";".
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual FileAnswer openFiles(const QString& filter) = 0;
    virtual FileAnswer saveFile(const QString& filter) = 0; // asks before overwriting
    virtual ColorAnswer chooseColor() = 0;
    // The print dialog: printer set up as the user chose; false when cancelled.
    virtual bool choosePrinter(QPrinter& printer) = 0;
};

} // namespace tovik
