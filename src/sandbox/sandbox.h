// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include <QtGlobal>

namespace tovik::decoder {

// Drops what a decoder never needs, for good: new privileges, memory beyond memoryBytes, more
// than a few descriptors, core files, and, through a seccomp filter, every system call but
// reading and writing what it was given, memory, threads and time. A socket, starting a program
// or tracing one ends the process; opening a path and every other call fails. False when the system
// refuses the filter.
// opening: Refused for the decoding helper; ReadOnly for the drawing one, whose libraries open
// font files as they draw text: read-only opens and path lookups pass, any other open is refused,
// and so is a socket (Qt's start asks for a session bus), rather than fatal.
enum class Opening { Refused, ReadOnly };
bool enterSandbox(qint64 memoryBytes, Opening opening = Opening::Refused);

} // namespace tovik::decoder
