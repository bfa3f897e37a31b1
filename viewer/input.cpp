#include "input.h"

#include <algorithm>
#include <cstdlib>

#include "attach.h"
#include "platform/window.h"
#include "scene.h"

namespace rova::viewer {

namespace {

// Kept once for the library: only one viewer at a time is under the mouse.
struct InputState {
    int lastX = 0, lastY = 0;
    bool leftDown = false, rightDown = false;
    HostCursor savedCursor = nullptr;
    int pickedJoint = -1;  // row of the joint table found by the last left pick
};

InputState s_input;

int lowWord(std::intptr_t lParam) { return static_cast<std::int16_t>(lParam & 0xFFFF); }
int highWord(std::intptr_t lParam) { return static_cast<std::int16_t>((lParam >> 16) & 0xFFFF); }

bool cameraKey(ViewerContext& context, std::uintptr_t key) {
    if (key != VR_VK_LEFT && key != VR_VK_UP && key != VR_VK_RIGHT && key != VR_VK_DOWN && key != VR_VK_ADD &&
        key != VR_VK_SUBTRACT) {
        return false;
    }
    rm::Frame* camera = context.camera.get();
    rm::Frame* scene = context.scene.get();
    if (!camera || !scene) return true;
    rm::Vec3 direction, up;
    camera->getOrientation(scene, direction, up);
    const rm::Vec3 right = rm::cross(up, direction);
    rm::Vec3 step;
    switch (key) {
    case VR_VK_LEFT: step = right * -kCameraSideStep; break;
    case VR_VK_UP: step = up * kCameraSideStep; break;
    case VR_VK_RIGHT: step = right * kCameraSideStep; break;
    case VR_VK_DOWN: step = up * -kCameraSideStep; break;
    case VR_VK_ADD: step = direction * kCameraForwardStep; break;
    default: step = direction * -kCameraForwardStep; break;
    }
    // The camera only ever translates; the point it orbits goes with it.
    camera->setVelocity(scene, step);
    scene->move(1.0f);
    camera->setVelocity(scene, {0, 0, 0});
    context.orbit.target = context.orbit.target + step;
    return true;
}

void pick(ViewerContext& context, int x, int y, bool rightButton) {
    selectFrame(context, nullptr);
    if (!context.viewport) return;
    std::vector<rm::PickHit> hits;
    if (rm::failed(context.viewport->pick(x, y, hits)) || hits.empty()) return;
    const auto& path = hits.front().path;
    const std::size_t element = context.notifyProc ? findJointInPath(path, rightButton) : 1;
    if (element < path.size()) selectFrame(context, path[element]);
}

void buttonDown(ViewerContext& context, const HostWindow* window, std::intptr_t lParam, bool rightButton) {
    s_input.lastX = lowWord(lParam);
    s_input.lastY = highWord(lParam);
    pick(context, s_input.lastX, s_input.lastY, rightButton);
    (rightButton ? s_input.rightDown : s_input.leftDown) = true;
    rm::window::captureMouse(window);
    if (context.dragCursor) {
        // A host that cannot tell its cursor gets the arrow back.
        s_input.savedCursor = window && window->getCursor ? rm::window::getCursor(window) : VIRTROVA_ARROW_CURSOR;
        rm::window::setCursor(window, context.dragCursor);
    } else {
        s_input.savedCursor = nullptr;
    }
}

void buttonUp(const HostWindow* window, bool rightButton) {
    rm::window::releaseMouse(window);
    (rightButton ? s_input.rightDown : s_input.leftDown) = false;
    if (s_input.savedCursor) rm::window::setCursor(window, s_input.savedCursor);
}

// Turns frame about its origin by angle radians about an axis of its parent.
void turn(ViewerContext& context, rm::Frame& frame, rm::Vec3 axis, float angle) {
    rm::Frame* parent = frame.parent();
    frame.setRotation(parent, axis, angle);
    if (context.scene) {
        context.scene->move(1.0f);
    } else {
        frame.move(1.0f);
    }
    frame.setRotation(parent, {0, 0, 1}, 0);
}

void dragJoint(ViewerContext& context, int row, float angle, bool shift) {
    if (ViewerJointTable[static_cast<std::size_t>(row)].pair == Pair::First && shift) ++row;
    const ViewerJoint& joint = ViewerJointTable[static_cast<std::size_t>(row)];
    if (joint.dragSign < 0) angle = -angle;
    const std::int64_t proposed =
        static_cast<std::int64_t>(context.jointValues[static_cast<std::size_t>(row)]) - dragDelta(angle);
    const auto value = static_cast<std::int32_t>(std::clamp<std::int64_t>(proposed, joint.lower, joint.upper));
    if (!context.notifyProc || context.notifyProc(&context, row, value)) setJoint(context, row, value);
}

// Keeps the frame's depth and moves it with the mouse in the screen's plane.
void dragPosition(ViewerContext& context, rm::Frame& frame, double dx, double dy) {
    if (!context.viewport || !context.scene) return;
    rm::Vec3 position;
    rm::Vec4 screen;
    if (rm::failed(frame.getPosition(context.scene.get(), position)) ||
        rm::failed(context.viewport->transform(screen, position))) {
        return;
    }
    screen.x = static_cast<float>(screen.x + dx * screen.w);
    screen.y = static_cast<float>(screen.y + dy * screen.w);
    if (rm::succeeded(context.viewport->inverseTransform(position, screen))) {
        frame.setPosition(context.scene.get(), position);
    }
}

bool mouseMove(ViewerContext& context, const HostWindow* window, std::uintptr_t flags, int x, int y) {
    // Left of or above a window that holds the mouse: not ours.
    if (x < 0 || y < 0) return false;
    const int dx = x - s_input.lastX, dy = y - s_input.lastY;
    bool done = false;
    if ((flags & VR_MK_LBUTTON) && context.selectedFrame && s_input.leftDown) {
        const bool horizontal = std::abs(dy) < std::abs(dx);
        const float angle = static_cast<float>(horizontal ? -dx : -dy) * kTurnPerPixel;
        const bool shift = rm::window::keyDown(window, VR_VK_SHIFT);
        if (s_input.pickedJoint < 0) {
            const rm::Vec3 axis = shift ? rm::Vec3{0, 0, 1} : horizontal ? rm::Vec3{0, 1, 0} : rm::Vec3{1, 0, 0};
            turn(context, *context.selectedFrame, axis, angle);
        } else {
            dragJoint(context, s_input.pickedJoint, angle, shift);
        }
        done = true;
    } else if ((flags & VR_MK_RBUTTON) && context.selectedFrame && s_input.rightDown) {
        dragPosition(context, *context.selectedFrame, dx, dy);
        done = true;
    }
    s_input.lastX = x;
    s_input.lastY = y;
    return done;
}

}  // namespace

int dragDelta(float angle) { return static_cast<int>(angle * -kDegreesPerRadian); }

std::size_t findJointInPath(const std::vector<std::shared_ptr<rm::Frame>>& path, bool rightButton) {
    s_input.pickedJoint = -1;
    if (rightButton || path.size() < 2) return 1;
    for (std::size_t i = path.size() - 1; i >= 1; --i) {
        char buffer[64];
        const std::string_view name =
            path[i] && path[i]->readName(buffer) ? std::string_view(buffer) : std::string_view();
        for (int row = 0; row < kViewerJointCount; ++row) {
            const std::string_view frame = ViewerJointTable[static_cast<std::size_t>(row)].frame;
            if (!frame.empty() && frame == name) {
                s_input.pickedJoint = row;
                return i;
            }
        }
    }
    return 1;
}

void resetInputState() { s_input = InputState{}; }

std::int32_t handleInput(ViewerContext& context, const HostWindow* window, std::uint32_t message, std::uintptr_t wParam,
                         std::intptr_t lParam) {
    if (!context.window) return 0;
    if (!window) window = context.window;
    bool repaint = true;
    switch (message) {
    case VR_WM_KEYDOWN: repaint = cameraKey(context, wParam); break;
    case VR_WM_KEYUP: repaint = false; break;
    case VR_WM_MOUSEMOVE: repaint = mouseMove(context, window, wParam, lowWord(lParam), highWord(lParam)); break;
    case VR_WM_LBUTTONDOWN: buttonDown(context, window, lParam, false); break;
    case VR_WM_RBUTTONDOWN: buttonDown(context, window, lParam, true); break;
    case VR_WM_LBUTTONUP: buttonUp(window, false); break;
    case VR_WM_RBUTTONUP: buttonUp(window, true); break;
    default: break;
    }
    if (repaint) invalidate(context, window);
    return 0;
}

}  // namespace rova::viewer
