// The robot's three resting poses, which a new performance starts in and the
// dance steps begin and end in. Recorded values in micro-radians, kept exactly:
// they do not sit on whole degrees, and the lying pose rests its front legs
// and jaw slightly past the nominal limits.
#pragma once

#include <array>
#include <cstdint>

#include "model/channels.h"

namespace rova {

using PoseValues = std::array<std::int32_t, kChannelCount>;

inline constexpr PoseValues kStandingPose = {
    0, 0, 0, 0,
    -174533, 0, 523600, -174533, 0, 523600,
    -174533, 0, 523601, -174533, 0, 523600,
    0, 0,
};
inline constexpr PoseValues kSeatedPose = {
    -575960, 0, 0, 0,
    -534071, 0, 272272, -523600, 0, 261800,
    -1497496, 0, 2021096, -1483533, 0, 2014114,
    0, 0,
};
inline constexpr PoseValues kLyingPose = {
    -188495, 0, 10472, 10471,
    617848, -279253, 712095, 617848, -261800, 712095,
    -1923357, 0, 1745333, -1926848, 10472, 1752314,
    0, 0,
};

}  // namespace rova
