// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "platform/safefile.h"

#include <QImage>
#include <QString>

namespace tovik {

// The picture as RGB32, its transparent parts laid on background: what a saved bitmap holds.
QImage opaqueRgb32(const QImage& image, QRgb background);

// Writes an uncompressed 32-bit BI_RGB bitmap with a 40-byte header, rows bottom-up: what every
// reader and the JPEG library take. Transparent parts are laid on background first. An existing
// file of that name is replaced only by the complete bitmap (see SafeFile); on failure, error
// gives the system's reason.
bool saveBitmap(const QImage& image, QRgb background, const QString& path, SafeFile::Kind kind,
                QString* error);

} // namespace tovik
