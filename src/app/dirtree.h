// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "core/folderlist.h"
#include "platform/platform.h"
#include "settings/viewerstate.h"

#include <QString>

namespace tovik {

inline const QString OpenFilter =
    QStringLiteral("All Graphics |") + PicturePatterns +
    QStringLiteral("|"
                   "JPG (*.jpg)|*.jpg|GIF (*.gif)|*.gif|"
                   "BMP (*.bmp)|*.bmp|ICON (*.ico)|*.ico|WMF (*.wmf)|*.wmf|EMF (*.emf)|*.emf|CUR "
                   "(*.cur)|*.cur|"
                   "All Files (*.*)|*.*");
inline const QString SaveFilter = QStringLiteral("JPG (*.jpg)|*.jpg|BMP (*.bmp)|*.bmp");

// The dialog host: loading it runs the standard dialog that DialogMode names (1 Open,
// 2 background colour, 3 text colour, 4 Save). Each use is a fresh instance.
class dirTree {
public:
    dirTree(Platform& platform, ViewerState& state) : m_platform(platform), m_state(state) {}

    void Form_Load();

    // The Save dialog's answer (mode 4), read by Save As.
    QString FileName;

private:
    void takeFileAnswer(const FileAnswer& answer, QString& into);

    Platform& m_platform;
    ViewerState& m_state;
};

} // namespace tovik
