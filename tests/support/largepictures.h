// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

#include "imaging/largepicture.h"

#include <QImage>
#include <QList>

namespace tovik::test {

// A scene with detail at every scale: gradients, a grid, noise, so that neighbours differ.
QImage scene(QSize size);
// An average of each box x box pixels of image (those at its edges as far as they go), rounded.
QImage boxed(const QImage& image, int box);
// Whether picture's overview comes whole before long.
bool overviewCame(LargePicture& picture);
// The parts of picture at denominator that meet view, once count of them have come.
QList<LargePicture::Part> partsCome(LargePicture& picture, const QRect& view, int denominator,
                                    qsizetype count);

} // namespace tovik::test
