#include "channels.h"

#include <algorithm>

namespace rova {

const std::array<ChannelInfo, kChannelCount> kChannelInfo = {{
    {"HeadY", -80, 43, 120, -1},
    {"HeadX", -88, 88, 120, -1},
    {"HeadZ", -28, 28, 60, -1},
    {"Mouth", -36, 0, 75, 32},
    {"RFLegY", -117, 117, 200, -1},
    {"RFLegX", -10, 95, 200, -1},
    {"RFPawY", -27, 147, 225, -1},
    {"LFLegY", -117, 117, 200, -1},
    {"LFLegX", -10, 95, 200, -1},
    {"LFPawY", -27, 147, 225, -1},
    {"RRLegY", -117, 117, 200, -1},
    {"RRLegX", -10, 95, 200, -1},
    {"RRPawY", -27, 147, 225, -1},
    {"LRLegY", -117, 117, 200, -1},
    {"LRLegX", -10, 95, 200, -1},
    {"LRPawY", -27, 147, 225, -1},
    {"TailY", -5, 35, 340, 32},
    {"TailX", -30, 30, 240, 32},
}};

const std::array<std::string_view, kLocatorCount> kJointLocators = {{
    "PRM:/r0/c0-Joint:j0",
    "PRM:/r0/c0/c1-Joint:j1",
    "PRM:/r0/c0/c1/c2-Joint:j2",
    "PRM:/r0/c0/c1/c2/c3-Joint:j3",
    "PRM:/r2/c0-Joint:j0",
    "PRM:/r2/c0/c1-Joint:j1",
    "PRM:/r2/c0/c1/c2-Joint:j2",
    "PRM:/r3/c0-Joint:j0",
    "PRM:/r3/c0/c1-Joint:j1",
    "PRM:/r3/c0/c1/c2-Joint:j2",
    "PRM:/r4/c0-Joint:j0",
    "PRM:/r4/c0/c1-Joint:j1",
    "PRM:/r4/c0/c1/c2-Joint:j2",
    "PRM:/r5/c0-Joint:j0",
    "PRM:/r5/c0/c1-Joint:j1",
    "PRM:/r5/c0/c1/c2-Joint:j2",
    "PRM:/r1/c0-Joint:j0",
    "PRM:/r1/c1-Joint:j1",
    "PRM:/r1/c0-Joint:j1",
}};

int findLocator(std::string_view text) {
    const auto at = std::find(kJointLocators.begin(), kJointLocators.end(), text);
    return at == kJointLocators.end() ? -1 : static_cast<int>(at - kJointLocators.begin());
}

double degreesFromValue(std::int32_t value) {
    return static_cast<double>(value) * 180.0 * 3.183098861837907e-7;
}

std::int32_t valueFromDegrees(double degrees) {
    // Truncation toward zero, as a cast does; out-of-range input saturates
    // instead of being undefined.
    const double v = degrees * 3141592.653589793 * 0.005555555555555556;
    if (!(v > static_cast<double>(INT32_MIN))) return v != v ? 0 : INT32_MIN;
    if (v >= static_cast<double>(INT32_MAX)) return INT32_MAX;
    return static_cast<std::int32_t>(v);
}

}  // namespace rova
