// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "core/keyvalue.h"

#include <algorithm>

namespace tovik {

QString keyValueText(const QByteArray& buffer, quint32 byteCount, qint32 type,
                     const QString& current) {
    QByteArray cut = buffer.left(qsizetype(std::min<quint32>(byteCount, quint32(buffer.size()))));
    if (!cut.isEmpty() && byteCount <= quint32(buffer.size()) && cut.at(cut.size() - 1) == '\0')
        cut.chop(1);
    if (type == RegString)
        return QString::fromLocal8Bit(cut);
    if (type == RegNumber) {
        quint32 value = 0;
        for (int i = 0; i < 4 && i < buffer.size(); ++i)
            value |= quint32(quint8(buffer.at(i))) << (8 * i);
        return QStringLiteral("&h") + QString::number(value, 16).toUpper().rightJustified(8, '0');
    }
    return current;
}

} // namespace tovik
