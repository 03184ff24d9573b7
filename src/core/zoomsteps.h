// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

namespace tovik {

inline constexpr float ZoomStep = 0.25f;
inline constexpr float MinZoom = 0.25f;
inline constexpr float MaxZoom = 2.75f;

// One step in or out, clamped after the step.
float zoomedIn(float factor);
float zoomedOut(float factor);

} // namespace tovik
