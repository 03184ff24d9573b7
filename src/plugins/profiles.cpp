// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "plugins/profiles.h"

#include <QColorSpace>

namespace tovik {

namespace {
// A text key lives with the picture through every copy; Latin-1 carries each byte as it is.
const QString UnreadProfileKey = QStringLiteral("tovik-unread-icc");
} // namespace

void setProfile(QImage& image, const QByteArray& icc) {
    if (icc.isEmpty() || icc.size() > MaxProfileBytes)
        return;
    const QColorSpace space = QColorSpace::fromIccProfile(icc);
    if (space.isValid())
        image.setColorSpace(space);
    else
        image.setText(UnreadProfileKey, QString::fromLatin1(icc));
}

QByteArray takeUnreadProfile(QImage& image) {
    const QString kept = image.text(UnreadProfileKey);
    if (kept.isEmpty())
        return {};
    image.setText(UnreadProfileKey, {});
    return kept.toLatin1();
}

} // namespace tovik
