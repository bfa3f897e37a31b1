#include "camera.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "attach.h"
#include "platform/window.h"
#include "scene.h"

namespace rova::viewer {

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;

int lowWord(std::intptr_t lParam) { return static_cast<std::int16_t>(lParam & 0xFFFF); }
int highWord(std::intptr_t lParam) { return static_cast<std::int16_t>((lParam >> 16) & 0xFFFF); }

bool finite(rm::Vec3 v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Nothing of the model lies under the point.
bool emptySpace(const ViewerContext& context, int x, int y) {
    if (!context.viewport) return true;
    std::vector<rm::PickHit> hits;
    return rm::failed(context.viewport->pick(x, y, hits)) || hits.empty();
}

void startDrag(ViewerContext& context, const HostWindow* window, CameraDrag kind, bool left, std::intptr_t lParam) {
    context.cameraDrag = kind;
    context.cameraDragLeft = left;
    context.cameraLastX = lowWord(lParam);
    context.cameraLastY = highWord(lParam);
    rm::window::captureMouse(window);
}

void endDrag(ViewerContext& context, const HostWindow* window) {
    context.cameraDrag = CameraDrag::None;
    rm::window::releaseMouse(window);
}

// Moves the target (and the camera with it) in the picture's plane, so that the
// point at the target's depth follows the mouse.
void pan(ViewerContext& context, int dx, int dy) {
    if (!context.viewport || !context.camera || !context.scene) return;
    const double shorter = std::min(context.viewport->width(), context.viewport->height());
    if (shorter <= 0) return;
    const double unitsPerPixel = context.orbit.distance * 2.0 * context.viewport->field() / shorter;
    rm::Vec3 direction, up;
    context.camera->getOrientation(context.scene.get(), direction, up);
    const rm::Vec3 right = cross(up, direction);
    context.orbit.target = context.orbit.target - right * static_cast<float>(dx * unitsPerPixel) +
                           up * static_cast<float>(dy * unitsPerPixel);
}

void orbitBy(ViewerContext& context, int dx, int dy) {
    CameraOrbit& o = context.orbit;
    // Dragging right turns the model to the right: the camera goes the other way.
    o.yaw = std::remainder(o.yaw - static_cast<float>(dx) * kOrbitDegreesPerPixel, 360.0f);
    o.pitch = std::clamp(o.pitch + static_cast<float>(dy) * kOrbitDegreesPerPixel, VIRTROVA_CAMERA_MIN_PITCH,
                         VIRTROVA_CAMERA_MAX_PITCH);
}

void zoom(ViewerContext& context, int wheel) {
    const double notches = static_cast<double>(wheel) / kWheelDelta;
    const double distance = context.orbit.distance * std::pow(kZoomPerNotch, notches);
    context.orbit.distance = static_cast<float>(
        std::clamp(distance, double{VIRTROVA_CAMERA_MIN_DISTANCE}, double{VIRTROVA_CAMERA_MAX_DISTANCE}));
}

}  // namespace

std::int32_t checkOrbit(const CameraOrbit& orbit) {
    if (!std::isfinite(orbit.yaw)) return VIRTROVA_E_BAD_YAW;
    if (!(orbit.pitch >= VIRTROVA_CAMERA_MIN_PITCH && orbit.pitch <= VIRTROVA_CAMERA_MAX_PITCH))
        return VIRTROVA_E_BAD_PITCH;
    if (!(orbit.distance >= VIRTROVA_CAMERA_MIN_DISTANCE && orbit.distance <= VIRTROVA_CAMERA_MAX_DISTANCE))
        return VIRTROVA_E_BAD_DISTANCE;
    if (!finite(orbit.target)) return VIRTROVA_E_BAD_TARGET;
    return VIRTROVA_OK;
}

void placeCamera(ViewerContext& context) {
    if (!context.camera || !context.scene) return;
    const CameraOrbit& o = context.orbit;
    const double yaw = o.yaw * kRadiansPerDegree, pitch = o.pitch * kRadiansPerDegree;
    // For yaw and pitch 0 these are exactly +z and +y, and the position is the
    // target less its distance along z: the camera of a new scene.
    const rm::Vec3 direction{static_cast<float>(std::cos(pitch) * std::sin(yaw)), static_cast<float>(-std::sin(pitch)),
                             static_cast<float>(std::cos(pitch) * std::cos(yaw))};
    const rm::Vec3 up{static_cast<float>(std::sin(pitch) * std::sin(yaw)), static_cast<float>(std::cos(pitch)),
                      static_cast<float>(std::sin(pitch) * std::cos(yaw))};
    rm::Frame* scene = context.scene.get();
    context.camera->setOrientation(scene, direction, up);
    context.camera->setPosition(scene, o.target - direction * o.distance);
}

bool handleCameraInput(ViewerContext& context, const HostWindow* window, std::uint32_t message,
                       std::uintptr_t wParam, std::intptr_t lParam) {
    if (!context.window || !context.camera) return false;
    if (!window) window = context.window;
    const int x = lowWord(lParam), y = highWord(lParam);
    switch (message) {
    case VR_WM_LBUTTONDOWN:
        // A press on the model keeps its meaning (picking, posing a joint).
        if (!rm::window::keyDown(window, VR_VK_MENU) && !emptySpace(context, x, y)) return false;
        // The press still ends the selection, as a pick that hits nothing does.
        selectFrame(context, nullptr);
        startDrag(context, window, CameraDrag::Orbit, true, lParam);
        break;
    case VR_WM_MBUTTONDOWN:
        startDrag(context, window, (wParam & VR_MK_SHIFT) ? CameraDrag::Pan : CameraDrag::Orbit, false, lParam);
        return true;
    case VR_WM_MOUSEMOVE: {
        if (context.cameraDrag == CameraDrag::None) return false;
        const int dx = x - context.cameraLastX, dy = y - context.cameraLastY;
        context.cameraLastX = x;
        context.cameraLastY = y;
        if (dx == 0 && dy == 0) return true;
        if (context.cameraDrag == CameraDrag::Pan)
            pan(context, dx, dy);
        else
            orbitBy(context, dx, dy);
        placeCamera(context);
        break;
    }
    case VR_WM_LBUTTONUP:
        if (context.cameraDrag == CameraDrag::None || !context.cameraDragLeft) return false;
        endDrag(context, window);
        return true;
    case VR_WM_MBUTTONUP:
        if (context.cameraDrag != CameraDrag::None && !context.cameraDragLeft) endDrag(context, window);
        return true;
    case VR_WM_MOUSEWHEEL:
        zoom(context, static_cast<std::int16_t>((wParam >> 16) & 0xFFFF));
        placeCamera(context);
        break;
    case VR_WM_LBUTTONDBLCLK:
        if (!emptySpace(context, x, y)) return false;
        context.orbit = CameraOrbit{};
        placeCamera(context);
        break;
    default: return false;
    }
    invalidate(context, window);
    return true;
}

}  // namespace rova::viewer
