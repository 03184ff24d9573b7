// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "platform/qtmessages.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace tovik {

namespace {
// A message box sizes itself to its text alone; a short text would leave its title cut off.
void makeRoomForTitle(QMessageBox& box) {
    const QFontMetrics title(QFontDatabase::systemFont(QFontDatabase::TitleFont));
    const int needed = title.horizontalAdvance(box.windowTitle()) + 6 * title.height();
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(needed, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
}
} // namespace

void QtMessages::message(const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, m_owner);
    makeRoomForTitle(box);
    box.exec();
}

bool QtMessages::confirm(const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                    m_owner);
    box.setDefaultButton(QMessageBox::No);
    makeRoomForTitle(box);
    return box.exec() == QMessageBox::Yes;
}

} // namespace tovik
