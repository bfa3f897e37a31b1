// Which eye lights show at a moment of the performance: the LED step that
// covers it, on the same sample grid the LED track is cut into.
#pragma once

#include <cstdint>

#include "model/channels.h"
#include "model/motion_track.h"

namespace rova {

// The LED step that covers the time. Step i begins at sample i × 8000 / 12
// (integer division), so the step of sample s is the largest i with
// i × 2000 / 3 ≤ s, which is (3s + 2) / 2000.
constexpr std::int64_t ledStepAtMs(std::int64_t ms) {
    const std::int64_t sample = ms * kSampleRate / kMsPerSecond;
    return (3 * sample + 2) / 2000;
}

// The eye state at the time: bit 0 the green eye, bit 1 the red one; dark
// before time 0, after the track and without an LED track.
inline std::uint8_t eyesAtMs(const CLedTrack& leds, std::int64_t ms) {
    if (ms < 0) return 0;
    const std::int64_t step = ledStepAtMs(ms);
    return step < leds.length() ? static_cast<std::uint8_t>(leds.steps[static_cast<std::size_t>(step)] & 3) : 0;
}

// The eye state that goes with the pose of a time step (80 ms), at the step's start.
inline std::uint8_t eyesAtStep(const CLedTrack& leds, std::int64_t step) {
    return eyesAtMs(leds, step * kMsPerStep);
}

}  // namespace rova
