// The camera that orbits a target point: placing it from yaw, pitch, distance
// and target, and the mouse input that orbits, pans and zooms it.
#pragma once

#include <cstdint>

#include "VirtRova.h"
#include "context.h"

namespace rova::viewer {

// Orbit: degrees per pixel of a drag. Zoom: the distance shrinks by this factor
// per notch of the wheel turned forward (120 units of wheel delta).
inline constexpr float kOrbitDegreesPerPixel = 0.5f;
inline constexpr double kZoomPerNotch = 0.9;
inline constexpr int kWheelDelta = 120;

// Whether the values make a camera; VIRTROVA_OK or the code that says why not.
std::int32_t checkOrbit(const CameraOrbit& orbit);

// Puts the camera frame where the orbit says. The default orbit gives the
// camera frame of a new scene bit for bit.
void placeCamera(ViewerContext& context);

// The camera's part of the mouse input; true when it took the message.
bool handleCameraInput(ViewerContext& context, const HostWindow* window, std::uint32_t message,
                       std::uintptr_t wParam, std::intptr_t lParam);

}  // namespace rova::viewer
