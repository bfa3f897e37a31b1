#include "joints.h"

namespace rova::viewer {

const std::array<ViewerJoint, kViewerJointCount> ViewerJointTable = {{
    {"frm-Neck", Axis::X, +1, +1, Pair::None, -80, 43, 0},
    {"frm-Head", Axis::Y, +1, +1, Pair::First, -88, 88, 0},
    {"", Axis::Z, +1, +1, Pair::Second, -28, 28, 0},
    {"frm-Jaw", Axis::X, +1, +1, Pair::None, -36, 0, -15},
    {"frm-FR_Arm", Axis::X, +1, +1, Pair::First, -117, 117, -20},
    {"", Axis::Z, -1, +1, Pair::Second, -10, 95, 0},
    {"frm-FR_Forearm", Axis::X, -1, +1, Pair::None, -27, 150, 65},
    {"frm-FL_Arm", Axis::X, +1, +1, Pair::First, -117, 117, -20},
    {"", Axis::Z, +1, +1, Pair::Second, -10, 95, 0},
    {"frm-FL_Forearm", Axis::X, +1, +1, Pair::None, -27, 150, 65},
    {"frm-BR_Thigh", Axis::X, -1, +1, Pair::First, -117, 117, -30},
    {"", Axis::Z, -1, +1, Pair::Second, -10, 95, 0},
    {"frm-BR_Leg", Axis::X, +1, +1, Pair::None, -27, 150, 35},
    {"frm-BL_Thigh", Axis::X, -1, +1, Pair::First, -117, 117, -30},
    {"", Axis::Z, +1, +1, Pair::Second, -10, 95, 0},
    {"frm-BL_Leg", Axis::X, -1, +1, Pair::None, -27, 150, 35},
    {"frm-cyl1", Axis::X, +1, -1, Pair::First, -5, 35, 0},
    {"", Axis::Y, +1, +1, Pair::Second, -30, 30, 0},
    {"frm-FR_Paw", Axis::X, +1, +1, Pair::None, -45, 45, 45},
    {"frm-FL_Paw", Axis::X, +1, +1, Pair::None, -45, 45, -45},
    {"frm-BR_Paw", Axis::X, +1, +1, Pair::None, -45, 45, 0},
    {"frm-BL_Paw", Axis::X, +1, +1, Pair::None, -45, 45, 0},
    {"frm-cyl6", Axis::X, +1, +1, Pair::None, -90, 90, 0},
    {"frm-cyl7", Axis::X, +1, +1, Pair::None, -90, 90, 0},
}};

namespace {

constexpr std::array<std::string_view, kViewerJointCount> kJointNames = {
    "HeadY",  "HeadX",  "HeadZ",  "Mouth",  "RFLegY", "RFLegX", "RFPawY", "LFLegY",
    "LFLegX", "LFPawY", "RRLegY", "RRLegX", "RRPawY", "LRLegY", "LRLegX", "LRPawY",
    "TailY",  "TailX",  "RFPaw",  "LFPaw",  "RRPaw",  "LRPaw",  "LEar",   "REar",
};

}  // namespace

std::string_view jointName(int joint) {
    return joint >= 0 && joint < kViewerJointCount ? kJointNames[static_cast<std::size_t>(joint)] : std::string_view{};
}

int findJoint(std::string_view name) {
    for (int j = 0; j < kViewerJointCount; ++j) {
        if (kJointNames[static_cast<std::size_t>(j)] == name) return j;
    }
    return -1;
}

}  // namespace rova::viewer
