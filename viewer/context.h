// The state of one viewer instance. The library's exported interface hands it
// to the host as an opaque pointer.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "VirtRova.h"
#include "joints.h"
#include "platform/device.h"
#include "platform/frame.h"
#include "platform/root.h"
#include "platform/viewport.h"

namespace rova::viewer {

// A joint frame's transform relative to its parent as loaded: the pose every
// re-pose starts from.
struct RestTransform {
    rm::Vec3 position;
    rm::Vec3 direction;
    rm::Vec3 up;
};

// Where the camera stands: it orbits target at distance, turned by yaw about
// the vertical and raised by pitch (degrees). The defaults are the camera of a
// new scene: at the origin, looking along +z.
struct CameraOrbit {
    float yaw = 0;
    float pitch = 0;
    float distance = 50;
    rm::Vec3 target{0, 0, 50};
};

// A camera drag in progress, and where the mouse was at its last step.
enum class CameraDrag { None, Orbit, Pan };

}  // namespace rova::viewer

struct ViewerContext {
    std::unique_ptr<rova::rm::Root> root;
    std::shared_ptr<rova::rm::Clipper> clipper;
    std::shared_ptr<rova::rm::Device> device;
    std::shared_ptr<rova::rm::Viewport> viewport;
    const HostWindow* window = nullptr;  // the window given to Attach
    HostCursor dragCursor = nullptr;
    JointNotifyProc notifyProc = nullptr;
    bool updatePending = false;  // asked the window for a paint that has not begun
    std::shared_ptr<rova::rm::Frame> scene;
    std::shared_ptr<rova::rm::Frame> camera;
    std::weak_ptr<rova::rm::Frame> model;  // the frame the model is loaded under; the scene owns it
    std::shared_ptr<rova::rm::Frame> selectedFrame;
    std::array<std::shared_ptr<rova::rm::Frame>, rova::viewer::kViewerJointCount> jointFrames;
    std::array<rova::viewer::RestTransform, rova::viewer::kViewerJointCount> restTransforms{};
    std::array<std::int32_t, rova::viewer::kViewerJointCount> jointValues{};
    bool multiJointMode = false;
    // The eye lamps: the state shown (bit 0 green, bit 1 red) and the lamps'
    // meshes, carried by the head frame while lit.
    std::int32_t eyes = 0;
    std::array<std::shared_ptr<rova::rm::Mesh>, 2> eyeLamps;
    rova::viewer::CameraOrbit orbit;
    rova::viewer::CameraDrag cameraDrag = rova::viewer::CameraDrag::None;
    bool cameraDragLeft = false;  // the left button (not the middle one) drags the camera
    int cameraLastX = 0, cameraLastY = 0;
};
