// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "platform/qtdialogs.h"

#include "core/colorref.h"
#include "core/dialogtext.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace tovik {

FileAnswer QtDialogs::openFiles(const QString& filter) {
    const QStringList filters = qtNameFilters(filter);
    const QStringList files = QFileDialog::getOpenFileNames(m_owner, QString(), QString(),
                                                            filters.join(QStringLiteral(";;")));
    if (files.isEmpty())
        return {DialogResult::Cancelled, {}};
    return {DialogResult::Accepted, selectedFilesText(files)};
}

FileAnswer QtDialogs::saveFile(const QString& filter) {
    const QStringList filters = qtNameFilters(filter);
    const QString file = QFileDialog::getSaveFileName(m_owner, QString(), QString(),
                                                      filters.join(QStringLiteral(";;")));
    if (file.isEmpty())
        return {DialogResult::Cancelled, {}};
    return {DialogResult::Accepted, QDir::toNativeSeparators(file)};
}

ColorAnswer QtDialogs::chooseColor() {
    const QColor chosen =
        QColorDialog::getColor(m_color, m_owner, QString(), QColorDialog::DontUseNativeDialog);
    if (!chosen.isValid())
        return {DialogResult::Cancelled, 0};
    m_color = chosen;
    return {DialogResult::Accepted, toColorRef(chosen)};
}

bool QtDialogs::choosePrinter(QPrinter& printer) {
    QPrintDialog dialog(&printer, m_owner);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace tovik
