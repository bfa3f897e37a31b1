// Builds motion tracks in memory for tests: one row per keyframe, the duration
// followed by one value per channel.
#pragma once

#include <cstdint>
#include <vector>

#include "model/motion_track.h"

namespace rova::test {

using KeyframeRows = std::vector<std::vector<std::int32_t>>;

inline CMotionTrack makeTrack(MotionKind kind, const KeyframeRows& rows) {
    const int n = channelCountOfKind(kind);
    const int first = firstChannelOfKind(kind);
    std::array<int, kChannelCount> locators{};
    locators.fill(-1);
    for (int c = 0; c < n; ++c) locators[static_cast<std::size_t>(c)] = first + c;
    std::vector<std::int32_t> block;
    for (const auto& row : rows) {
        block.push_back(row.at(0));
        block.insert(block.end(), {0, 0, 0});
        for (int c = 0; c < n; ++c) block.push_back(row.at(static_cast<std::size_t>(c) + 1));
    }
    CMotionTrack track;
    track.assign(kind, n, locators, std::move(block), static_cast<int>(rows.size()));
    track.setFirstChannel(first);
    return track;
}

// The keyframes of a track in the same row form.
inline KeyframeRows rowsOf(const CMotionTrack& track) {
    KeyframeRows rows;
    for (int k = 0; k < track.keyframeCount(); ++k) {
        std::vector<std::int32_t> row{track.duration(k)};
        for (int c = 0; c < track.channelCount(); ++c) row.push_back(track.value(k, c));
        rows.push_back(row);
    }
    return rows;
}

}  // namespace rova::test
