// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "core/orientations.h"

#include <array>

namespace tovik {

namespace {
// A picture's turn as the matrix that takes a stored pixel's offset from the centre to where it
// shows (y grows downwards): {a, b, c, d} maps (x, y) to (a x + b y, c x + d y).
using Matrix = std::array<int, 4>;

// Orientations 1 to 8 in EXIF's order: as stored, mirrored, upside down, flipped, transposed,
// turned clockwise, transversed, turned counter-clockwise.
constexpr std::array<Matrix, 8> Shown = {{{1, 0, 0, 1},
                                          {-1, 0, 0, 1},
                                          {-1, 0, 0, -1},
                                          {1, 0, 0, -1},
                                          {0, 1, 1, 0},
                                          {0, -1, 1, 0},
                                          {0, -1, -1, 0},
                                          {0, 1, -1, 0}}};

Matrix matrixOf(Turn turn) {
    switch (turn) {
    case Turn::Clockwise:
        return Shown[5];
    case Turn::CounterClockwise:
        return Shown[7];
    case Turn::FlipHorizontal:
        return Shown[1];
    case Turn::FlipVertical:
        return Shown[3];
    }
    return Shown[0];
}

Matrix times(const Matrix& m, const Matrix& n) {
    return {m[0] * n[0] + m[1] * n[2], m[0] * n[1] + m[1] * n[3], m[2] * n[0] + m[3] * n[2],
            m[2] * n[1] + m[3] * n[3]};
}
} // namespace

Turn undoing(Turn turn) {
    if (turn == Turn::Clockwise)
        return Turn::CounterClockwise;
    if (turn == Turn::CounterClockwise)
        return Turn::Clockwise;
    return turn; // a flip undoes itself
}

int turnedOrientation(int orientation, Turn turn) {
    const Matrix now = orientation >= 1 && orientation <= 8 ? Shown[orientation - 1] : Shown[0];
    const Matrix turned = times(matrixOf(turn), now);
    for (int value = 1; value <= 8; ++value)
        if (Shown[value - 1] == turned)
            return value;
    return 1; // not reached: the eight form a group
}

} // namespace tovik
