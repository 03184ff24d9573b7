#pragma once

namespace tovik {

inline constexpr float ZoomStep = 0.25f;
inline constexpr float MinZoom = 0.25f;
inline constexpr float MaxZoom = 2.75f;

// One step in or out, clamped after the step.
float zoomedIn(float factor);
float zoomedOut(float factor);

} // namespace tovik
