// Binding a viewer to its window and drawing into it: the device and viewport
// that follow the window's size, activation, paint and render.
#pragma once

#include <cstdint>

#include "VirtRova.h"
#include "context.h"

namespace rova::viewer {

inline constexpr float kAttachBackDistance = 5000.0f;
inline constexpr float kResizeBackDistance = 400.0f;

// Clipper, device, scene, viewport and model; reports each failure and stops
// at the first. Refuses a context that is already attached.
bool attach(ViewerContext& context, const HostWindow* window);
// lParam of a resize: width in the low 16 bits, height in the high 16 bits.
bool handleSize(ViewerContext& context, std::intptr_t lParam);
void handleActivate(ViewerContext& context, std::uintptr_t wParam);
void handlePaint(ViewerContext& context, PaintRecord* out);
bool render(ViewerContext& context);

// Asks the window for a paint of its whole client area, without erasing.
void invalidate(ViewerContext& context, const HostWindow* window = nullptr);

}  // namespace rova::viewer
