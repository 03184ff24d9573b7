// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QString>

namespace tovik {

// A message box with one OK button, a title, a text and no icon; returns when it is closed.
class Messages {
public:
    virtual ~Messages() = default;
    virtual void message(const QString& title, const QString& text) = 0;
    // A question with Yes and No, No the default; true only for Yes.
    virtual bool confirm(const QString& title, const QString& text) = 0;
};

} // namespace tovik
