// A full-body motion of the most keyframes a motion file holds, for the
// benchmarks that time edits on the largest track a performance can have.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "model/motion_track.h"

namespace rova::bench {

// `keyframes` keyframes `ticksApart` ticks apart, each value a repeatable
// pattern times `valueScale`.
inline CMotionTrack fullBodyMotion(int keyframes, int ticksApart, int valueScale) {
    std::array<int, kChannelCount> locators{};
    for (int c = 0; c < kChannelCount; ++c) locators[static_cast<std::size_t>(c)] = c;
    const int words = kChannelCount + 4;
    std::vector<std::int32_t> block(static_cast<std::size_t>(keyframes * words));
    for (int k = 0; k < keyframes; ++k) {
        block[static_cast<std::size_t>(k * words)] = k == 0 ? 0 : ticksApart;
        for (int c = 0; c < kChannelCount; ++c)
            block[static_cast<std::size_t>(k * words + 4 + c)] = (k * 37 + c) % 1000 * valueScale;
    }
    CMotionTrack motion;
    motion.assign(MOTION_FULL_BODY, kChannelCount, locators, std::move(block), keyframes);
    motion.setFirstChannel(0);
    return motion;
}

}  // namespace rova::bench
