// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "imaging/largepicture.h"

#include <QImage>
#include <QList>

namespace tovik::test {

// A scene with detail at every scale: gradients, a grid, noise, so that neighbours differ.
QImage scene(QSize size);
// A picture with no detail: colours changing slowly across it, and its light down it.
QImage smooth(QSize size);
// An average of each box x box pixels of image (those at its edges as far as they go), rounded.
QImage boxed(const QImage& image, int box);
// Whether picture's overview comes whole before long.
bool overviewCame(LargePicture& picture);
// The parts of picture at denominator that meet view, once count of them have come.
QList<LargePicture::Part> partsCome(LargePicture& picture, const QRect& view, int denominator,
                                    qsizetype count);

// What differs between whole (a decode of the whole, over the fill) and picture's overview, its
// parts at zoom 1 (four, to its bottom-right corner) and at a half (four, from its top-left):
// empty when no channel differs by more than by; where colours are turned after boxes are
// averaged (turned), when the reduced ones differ by less than 1 on average.
QString piecesDiffer(LargePicture& picture, const QImage& whole, int by, bool turned = false);

} // namespace tovik::test
