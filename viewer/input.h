// Keyboard and mouse: camera moves, picking parts of the model, turning and
// moving the whole model, and dragging single joints.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "VirtRova.h"
#include "context.h"

namespace rova::viewer {

// Camera steps: sideways and up by a quarter unit, forward by one.
inline constexpr float kCameraSideStep = 0.25f;
inline constexpr float kCameraForwardStep = 1.0f;
// Radians per pixel of a drag, and the degrees a radian counts for.
inline constexpr float kTurnPerPixel = 0.02f;
inline constexpr float kDegreesPerRadian = 57.3f;

// Keyboard and mouse messages of the window. Always 0; does nothing before
// the context is attached.
std::int32_t handleInput(ViewerContext& context, const HostWindow* window, std::uint32_t message, std::uintptr_t wParam,
                         std::intptr_t lParam);

// Index into the path of the frame a click selects: the nearest joint frame
// at or above the clicked part (left button), else 1, the model frame.
std::size_t findJointInPath(const std::vector<std::shared_ptr<rm::Frame>>& path, bool rightButton);

// The whole-degree change of a joint dragged by angle radians.
int dragDelta(float angle);

// The input state is shared by all viewers of the process; this forgets it.
void resetInputState();

}  // namespace rova::viewer
