// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "settings/drives.h"

#include "platform/safefile.h"

#include <QFile>

namespace tovik {

namespace {
// A settings file is a few hundred bytes; reading more would only be reading garbage.
constexpr qint64 MaxSettingsBytes = 64 * 1024;
} // namespace

SettingsValues defaultSettings(const SettingsDefaultsContext& context) {
    const TwipRect rect =
        defaultSettingsRect(context.screen, context.windowWidth, context.windowHeight);
    SettingsValues v;
    v.SlideInterval = 5;
    v.ThumbTextColor = 0;
    v.ThumbBackColor = 16777215;
    v.ThumbPageWidth = 640;
    v.ThumbScale = 0.15f;
    v.JPGQuality = 80;
    v.SavedLeft = float(rect.left);
    v.SavedTop = float(rect.top);
    v.SavedWidth = float(rect.width);
    v.SavedHeight = float(rect.height);
    v.SavedWindowState = 0;
    return v;
}

bool ReadSettings(ViewerState& state, const QString& iniPath,
                  const SettingsDefaultsContext& context, const LivePlacement& live) {
    QFile file(iniPath);
    if (file.open(QIODevice::ReadOnly)) {
        const auto values = parseSettings(file.read(MaxSettingsBytes));
        file.close();
        if (values) {
            static_cast<SettingsValues&>(state) = *values;
            return true;
        }
    }
    static_cast<SettingsValues&>(state) = defaultSettings(context);
    WriteSettings(state, iniPath, live);
    return false;
}

bool WriteSettings(const ViewerState& state, const QString& iniPath, const LivePlacement& live,
                   QString* error) {
    SettingsValues v = state;
    v.SavedLeft = float(live.rect.left);
    v.SavedTop = float(live.rect.top);
    v.SavedWidth = float(live.rect.width);
    v.SavedHeight = float(live.rect.height);
    v.SavedWindowState = live.state;
    QString reason;
    const bool written =
        writeFileSafely(iniPath, formatSettings(v), SafeFile::Kind::Durable, &reason);
    if (error)
        *error = reason;
    return written;
}

bool ReadSwitch(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(2).trimmed() == "1";
}

bool WriteSwitch(bool on, const QString& path) {
    QString error;
    return writeFileSafely(path, on ? "1\n" : "0\n", SafeFile::Kind::Durable, &error);
}

SortOrder ReadSortOrder(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parseSortOrder(file.read(64)).value_or(SortOrder{});
}

bool WriteSortOrder(SortOrder order, const QString& path) {
    QString error;
    return writeFileSafely(path, sortOrderText(order) + '\n', SafeFile::Kind::Durable, &error);
}

} // namespace tovik
