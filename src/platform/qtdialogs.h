// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "platform/dialogs.h"

#include <QColor>
#include <QPointer>
#include <QWidget>

namespace tovik {

class QtDialogs : public Dialogs {
public:
    void setOwner(QWidget* owner) { m_owner = owner; }
    FileAnswer openFiles(const QString& filter) override;
    FileAnswer saveFile(const QString& filter) override;
    ColorAnswer chooseColor() override;
    bool choosePrinter(QPrinter& printer) override;

private:
    QPointer<QWidget> m_owner;
    QColor m_color = Qt::black; // the dialog keeps its last colour between uses
};

} // namespace tovik
