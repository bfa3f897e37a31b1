// The viewer's 24 joints: 0..17 are the joint channels in channel order, 18..23
// the paws and ears that only the mouse moves. Each turns one model frame about
// an axis of that frame's parent.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace rova::viewer {

inline constexpr int kViewerJointCount = 24;

enum class Axis { X, Y, Z };
enum class Pair { None, First, Second };  // the two joints of a pair turn one frame

struct ViewerJoint {
    std::string_view frame;  // empty for the second joint of a pair: it turns the frame of the row before
    Axis axis;
    int sign;      // +1, or -1: the angle is negated
    int dragSign;  // +1, or -1: mouse drags act reversed
    Pair pair;
    int lower;     // degrees, limits for mouse drags only
    int upper;
    int rest;      // degrees: the value at which the frame shows its modelled pose
};

extern const std::array<ViewerJoint, kViewerJointCount> ViewerJointTable;

// Channel names for joints 0..17 ("HeadY" ...), then "RFPaw", "LFPaw", "RRPaw",
// "LRPaw", "LEar" (the ear at +x), "REar"; and the joint of a name, or -1.
std::string_view jointName(int joint);
int findJoint(std::string_view name);

}  // namespace rova::viewer
