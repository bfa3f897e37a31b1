// The eye lamps: two small glowing domes set into the lenses of the model's
// eyes, lit as an eye LED step says (bit 0 the green eye, bit 1 the red one).
#pragma once

#include <cstdint>
#include <memory>

#include "context.h"
#include "platform/objects.h"

namespace rova::viewer {

// The lamps' colours are those of the LED rows of the editor's timeline.
inline constexpr rm::ColorRGB kGreenLamp{0, 1, 0};
inline constexpr rm::ColorRGB kRedLamp{1, 0, 0};

// Where a lamp sits, in the head frame's coordinates: the middle of the eye's
// lens and the lens's outward axis (the robot's left eye; the right one is its
// mirror image in x).
inline constexpr rm::Vec3 kLeftEyeCentre{2.0925f, 3.5585f, -1.8665f};
inline constexpr rm::Vec3 kLeftEyeAxis{0.3558f, 0.4201f, -0.8348f};
// How far in front of the lens's middle the lamp's face lies.
inline constexpr float kLampDepth = 0.45f;

// The lamp of one eye (0: the green, left eye; 1: the red, right eye): a closed
// dome that glows in its colour whatever the light and the frame's colouring.
std::shared_ptr<rm::Mesh> makeEyeLamp(int eye);

// The middle of an eye's lamp face in the head frame's coordinates.
rm::Vec3 eyeLampFace(int eye);

// Shows the state (0..3) on the head frame; true when what shows changed.
// States outside 0..3 are the caller's to refuse.
bool setEyes(ViewerContext& context, std::int32_t state);

}  // namespace rova::viewer
