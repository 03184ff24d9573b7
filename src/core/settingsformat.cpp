// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "core/settingsformat.h"

#include "core/rounding.h"

#include <QList>
#include <QRegularExpression>

#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

namespace tovik {

namespace {

// Splits at line ends and commas; blank lines carry no value, an empty field between commas does.
std::vector<QByteArray> splitValues(QByteArray text) {
    text.replace("\r\n", "\n").replace('\r', '\n');
    std::vector<QByteArray> values;
    for (const QByteArray& line : text.split('\n')) {
        if (line.trimmed().isEmpty())
            continue;
        for (const QByteArray& field : line.split(','))
            values.push_back(field.trimmed());
    }
    return values;
}

std::optional<double> parseNumber(const QByteArray& field) {
    static const QRegularExpression grammar(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    if (!grammar.match(QString::fromLatin1(field)).hasMatch())
        return std::nullopt;
    const char* begin = field.constData();
    const char* end = begin + field.size();
    if (*begin == '+')
        ++begin;
    double value = 0;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<float> toSingle(double value) {
    if (std::fabs(value) > double(std::numeric_limits<float>::max()))
        return std::nullopt;
    return float(value);
}

template <typename T, typename Conv>
bool take(const std::vector<double>& numbers, int index, T& into, Conv convert) {
    const auto converted = convert(numbers[std::size_t(index)]);
    if (!converted)
        return false;
    into = *converted;
    return true;
}

} // namespace

std::optional<SettingsValues> parseSettings(const QByteArray& text) {
    const std::vector<QByteArray> fields = splitValues(text);
    if (fields.size() < std::size_t(SettingsValueCount))
        return std::nullopt;
    std::vector<double> numbers;
    for (int i = 0; i < SettingsValueCount; ++i) {
        const auto n = parseNumber(fields[std::size_t(i)]);
        if (!n)
            return std::nullopt;
        numbers.push_back(*n);
    }
    SettingsValues v;
    const bool ok =
        take(numbers, 0, v.SlideInterval, toLong) && take(numbers, 1, v.ThumbTextColor, toLong) &&
        take(numbers, 2, v.ThumbBackColor, toLong) &&
        take(numbers, 3, v.ThumbPageWidth, toInteger) && take(numbers, 4, v.ThumbScale, toSingle) &&
        take(numbers, 5, v.JPGQuality, toInteger) && take(numbers, 6, v.SavedLeft, toSingle) &&
        take(numbers, 7, v.SavedTop, toSingle) && take(numbers, 8, v.SavedWidth, toSingle) &&
        take(numbers, 9, v.SavedHeight, toSingle) && take(numbers, 10, v.SavedWindowState, toLong);
    if (!ok)
        return std::nullopt;
    return v;
}

QByteArray formatSingle(float value) {
    char buffer[64];
    // Fixed notation with no precision gives the shortest text that reads back exactly.
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (ec != std::errc())
        return QByteArray::number(double(value), 'f', 6);
    QByteArray text(buffer, int(end - buffer));
    if (text == "-0")
        text = "0";
    return text;
}

QByteArray formatSettings(const SettingsValues& v) {
    const QList<QByteArray> lines = {QByteArray::number(v.SlideInterval),
                                     QByteArray::number(v.ThumbTextColor),
                                     QByteArray::number(v.ThumbBackColor),
                                     QByteArray::number(v.ThumbPageWidth),
                                     formatSingle(v.ThumbScale),
                                     QByteArray::number(v.JPGQuality),
                                     formatSingle(v.SavedLeft),
                                     formatSingle(v.SavedTop),
                                     formatSingle(v.SavedWidth),
                                     formatSingle(v.SavedHeight),
                                     QByteArray::number(v.SavedWindowState)};
    QByteArray out;
    for (const QByteArray& line : lines)
        out += line + "\r\n";
    return out;
}

} // namespace tovik
