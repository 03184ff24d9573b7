// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace tovik {

inline constexpr qint32 RegString = 1; // REG_SZ
inline constexpr qint32 RegNumber = 4; // REG_DWORD
inline constexpr int KeyValueBufferSize = 1024;

// The text of a registry value as read into a buffer: the buffer cut to byteCount, less a
// terminating NUL; a number as "&h" and eight upper-case hex digits. Another type leaves
// current as it was.
QString keyValueText(const QByteArray& buffer, quint32 byteCount, qint32 type,
                     const QString& current);

} // namespace tovik
