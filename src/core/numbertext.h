// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace tovik {

// The value of a text box that should hold digits only: nullopt when it is empty, holds anything
// but the digits 0 to 9 (text that was pasted), or is above max.
std::optional<qint32> plainNumber(const QString& text, qint32 max);

// The value of a text box holding digits with at most one decimal point ("12.5", "15", ".5"):
// nullopt when it is empty or holds anything else.
std::optional<double> decimalNumber(const QString& text);

} // namespace tovik
