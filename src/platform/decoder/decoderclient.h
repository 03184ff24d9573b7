// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "platform/pictures.h"

#include <optional>

namespace tovik {

// Decodes path as kind asks, in a sandboxed helper (tovik-decoder) for every format but JPEG,
// whose libjpeg-turbo path is as fast as a bare decode and stays here, and the drawings, which
// the metafile helper makes. A helper that dies, overruns its time or answers beyond its bounds
// is replaced, and the picture is an invalid one. Without the helper (TOVIK_DECODE_IN_PROCESS
// set, as the fuzz targets do, or not installed) everything is decoded here.
PictureLoad decodePicture(const QString& path, DecodeKind kind, qint64 room, const QSize& scaled,
                          const ThumbnailScale& scale = {});

namespace decoder {
enum class Kind : quint32;
struct Answer;
struct Request;

// The picture a helper's answer gives, its pixels mapped from memory (the descriptor beside the
// answer, -1 when none) no further than the request allows; none when the answer does not hold:
// a size beyond the room or the memory, a form never sent, pixels where none belong.
std::optional<PictureLoad> answeredLoad(const Answer& answer, int memory, const Request& asked);

// Whether a picture file is decoded in the helper: every format but JPEG, when the helper is
// there and decoding in process was not asked for.
bool decodedInHelper(int fd);
// The frame after the last one given of an animated picture (number: the how-manieth that is),
// and how long it is shown; null when there is none.
QImage nextFrame(const QString& path, quint32 number, int* delayMs);

// Starts a helper ahead of need, so that the first picture does not wait for one.
void startAhead();
// For tests: the process id of an idle helper (started for the asking), or -1; and a request
// that only a taken-over decoder would make, answered as the helper's death.
int idleHelper();
PictureLoad askOddly(Kind kind);
// The signal the last helper ended by (SIGKILL when it was ended for failing).
int lastEndingSignal();
} // namespace decoder

} // namespace tovik
