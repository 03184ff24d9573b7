// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QString>

namespace tovik {

// What tells a file's contents apart without reading them: its size, modification and change
// times, inode and device, as text; empty when there is no regular file at path.
QString fileStamp(const QString& path);

} // namespace tovik
