// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QColor>
#include <QtGlobal>

namespace tovik {

// The program keeps colours as 0x00BBGGRR, red in the low byte.
inline QColor fromColorRef(qint32 colour) {
    return QColor(colour & 0xff, (colour >> 8) & 0xff, (colour >> 16) & 0xff);
}

inline qint32 toColorRef(const QColor& colour) {
    return qint32(colour.red() | colour.green() << 8 | colour.blue() << 16);
}

} // namespace tovik
