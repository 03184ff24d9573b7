// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "imaging/pictureload.h"

#include <optional>

// The viewer's side of the decoding helper. Once useDecodingHelper() has been called (see
// startup.h), pictures are decoded in a sandboxed helper, tovik-decoder, for every format but
// JPEG, whose libjpeg-turbo path is as fast as a bare decode and stays here, and the drawings,
// which the metafile helper makes. A helper that dies, overruns its time or answers beyond its
// bounds is replaced, and the picture is an invalid one. Without the helper
// (TOVIK_DECODE_IN_PROCESS set, or not installed) everything is decoded here.
namespace tovik::decoder {

enum class Kind : quint32;
struct Answer;
struct Request;

// The picture a helper's answer gives, its pixels mapped from memory (the descriptor beside the
// answer, -1 when none) no further than the request allows; none when the answer does not hold:
// a size beyond the room or the memory, a form never sent, pixels where none belong.
std::optional<PictureLoad> answeredLoad(const Answer& answer, int memory, const Request& asked);

// Starts a helper ahead of need, so that the first picture does not wait for one.
void startAhead();
// For tests: the process id of an idle helper (started for the asking), or -1; and a request
// that only a taken-over decoder would make, answered as the helper's death.
int idleHelper();
PictureLoad askOddly(Kind kind);
// The signal the last helper ended by (SIGKILL when it was ended for failing).
int lastEndingSignal();

} // namespace tovik::decoder
