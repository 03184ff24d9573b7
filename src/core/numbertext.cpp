// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "core/numbertext.h"

namespace tovik {

std::optional<qint32> plainNumber(const QString& text, qint32 max) {
    if (text.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
        if (value > max)
            return std::nullopt;
    }
    return qint32(value);
}

std::optional<double> decimalNumber(const QString& text) {
    static constexpr int MaxDigits = 15; // what a double holds exactly
    int digits = 0, points = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char('.'))
            ++points;
        else if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            ++digits;
        else
            return std::nullopt;
    }
    if (digits == 0 || digits > MaxDigits || points > 1)
        return std::nullopt;
    return text.toDouble(); // the C locale's decimal point
}

} // namespace tovik
