// The viewer's scene and model: lights and camera, the robot model loaded from
// the library's own resource, and the posing of model frames from joint values.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "context.h"
#include "platform/frame.h"
#include "platform/result.h"

namespace rova::viewer {

inline constexpr rm::Color kSelectionColor = 0xFFFFFF37;  // light yellow
inline constexpr rm::Color kDisabledColor = 0x80808080;   // grey

// Where the model frame sits in the scene: 50 units in front of the camera.
inline constexpr rm::Vec3 kModelPosition{0, -10, 50};

// Scene frame, a white directional light on its own frame, a dim ambient light
// and the camera frame. Needs context.root. Reports and returns false on failure.
bool createScene(ViewerContext& context);

// Loads the model carried by the library (type "MODELX", name "ROVA") under a new
// model frame in the scene, registers the joint frames and puts every joint at
// its rest value. Needs createScene(); reports failures.
rm::Result loadModel(ViewerContext& context);
// The same from the bytes of a model file.
rm::Result loadModel(ViewerContext& context, std::span<const std::uint8_t> file);

// Stores the value (whole degrees) and re-poses the joint's frame from its rest
// transform with the turns of the one or two joints that act on it. Joints
// outside 0..23 are ignored.
void setJoint(ViewerContext& context, int joint, std::int32_t value);

// Turns the joint's frame by (value - rest) degrees, 57.3 to the radian, about
// the joint's axis of the parent frame.
void applyJointRotation(ViewerContext& context, int joint);

// On: the frame and every frame below it take the colour instead of their
// meshes' materials. Off: their meshes' own materials again.
void highlightFrame(rm::Frame* frame, bool on, rm::Color color);

// Takes the highlight off the selected frame, selects the given one (or none)
// and highlights it.
void selectFrame(ViewerContext& context, std::shared_ptr<rm::Frame> frame);

// Hidden joints go to value 0 and show their frame subtree in flat grey;
// visible ones get their own materials back (values unchanged). Always true.
bool setJointsVisible(ViewerContext& context, int first, int count, bool visible);

}  // namespace rova::viewer
