// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

namespace tovik {

// The eleven values of viewer.ini, in file order, with the types the program keeps them in.
struct SettingsValues {
    qint32 SlideInterval = 0;
    qint32 ThumbTextColor = 0;
    qint32 ThumbBackColor = 0;
    qint16 ThumbPageWidth = 0;
    float ThumbScale = 0.0f;
    qint16 JPGQuality = 0;
    float SavedLeft = 0.0f;
    float SavedTop = 0.0f;
    float SavedWidth = 0.0f;
    float SavedHeight = 0.0f;
    qint32 SavedWindowState = 0;

    bool operator==(const SettingsValues&) const = default;
};

inline constexpr int SettingsValueCount = 11;

// Values separated by line ends or commas, leading and trailing blanks skipped, a period as the
// decimal point whatever the locale. nullopt when fewer than eleven values are there, one is not
// a number, or one does not fit its type.
std::optional<SettingsValues> parseSettings(const QByteArray& text);

// Eleven lines, each a plain decimal number and CR LF; integral values have no point.
QByteArray formatSettings(const SettingsValues& values);

// The shortest plain decimal text that reads back as the same float ("0.15", "1200", "-60").
QByteArray formatSingle(float value);

} // namespace tovik
