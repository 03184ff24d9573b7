// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "platform/messages.h"

#include <QPointer>
#include <QWidget>

namespace tovik {

class QtMessages : public Messages {
public:
    void setOwner(QWidget* owner) { m_owner = owner; }
    void message(const QString& title, const QString& text) override;
    bool confirm(const QString& title, const QString& text) override;

private:
    QPointer<QWidget> m_owner;
};

} // namespace tovik
