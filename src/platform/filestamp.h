// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QString>

namespace tovik {

// What tells a file's contents apart without reading them: its size, modification and change
// times, inode and device, as text; empty when there is no regular file at path.
QString fileStamp(const QString& path);

// What tells a file's contents apart by reading them: a digest of its bytes (empty when it
// cannot be read), for a file that may have been written again with the same contents.
QByteArray fileDigest(const QString& path);

} // namespace tovik
