// Calls into the host's window, each safe with a missing window or callback.
#pragma once

#include <cstdint>

#include "VirtRova.h"

namespace rova::rm::window {

struct Size {
    int width = 0;
    int height = 0;
};

inline Size clientSize(const HostWindow* w) {
    std::int32_t width = 0, height = 0;
    if (w && w->clientSize) w->clientSize(w->user, &width, &height);
    return {width > 0 ? width : 0, height > 0 ? height : 0};
}
inline void present(const HostWindow* w, const std::uint8_t* rgba, int width, int height, int stride) {
    if (w && w->present && width > 0 && height > 0) w->present(w->user, rgba, width, height, stride);
}
inline void invalidate(const HostWindow* w) {
    if (w && w->invalidate) w->invalidate(w->user);
}
inline void captureMouse(const HostWindow* w) {
    if (w && w->captureMouse) w->captureMouse(w->user);
}
inline void releaseMouse(const HostWindow* w) {
    if (w && w->releaseMouse) w->releaseMouse(w->user);
}
inline void setCursor(const HostWindow* w, HostCursor cursor) {
    if (w && w->setCursor) w->setCursor(w->user, cursor);
}
inline HostCursor getCursor(const HostWindow* w) { return w && w->getCursor ? w->getCursor(w->user) : nullptr; }
inline bool keyDown(const HostWindow* w, int virtualKey) {
    return w && w->asyncKeyState && (w->asyncKeyState(w->user, virtualKey) & 0x8000) != 0;
}
inline void destroy(const HostWindow* w) {
    if (w && w->destroyWindow) w->destroyWindow(w->user);
}
inline void postQuit(const HostWindow* w, int exitCode) {
    if (w && w->postQuit) w->postQuit(w->user, exitCode);
}

}  // namespace rova::rm::window
