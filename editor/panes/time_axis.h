// The time axis of the performance view: where motion ticks, audio samples, LED
// steps and time steps fall in pixels at a scale of pps pixels a second, x
// counted from time zero. Every product is 64-bit: at 1000 pixels a second a
// 32-bit x × 8000 passes its range after 268 s. Divisions truncate toward zero.
// Toolkit-free, for the panes and the view alike.
#pragma once

#include <algorithm>
#include <cstdint>

#include "model/channels.h"

namespace rova::axis {

// x of motion tick t: t × 16 ms.
constexpr std::int64_t tickToX(std::int64_t ticks, int pps) {
    return ticks * kMsPerTick * pps / kMsPerSecond;
}
// Pixels that `ticks` motion ticks take, rounded up.
constexpr std::int64_t ticksWidth(std::int64_t ticks, int pps) {
    return (ticks * kMsPerTick * pps + kMsPerSecond - 1) / kMsPerSecond;
}

// x of audio sample s, and the sample under x.
constexpr std::int64_t sampleToX(std::int64_t sample, int pps) { return sample * pps / kSampleRate; }
constexpr std::int64_t xToSample(std::int64_t x, int pps) { return x * kSampleRate / pps; }
// Pixels that `samples` audio samples take, rounded up.
constexpr std::int64_t samplesWidth(std::int64_t samples, int pps) {
    return (samples * pps + kSampleRate - 1) / kSampleRate;
}

// x of LED step i, the LED step under x, and the pixels `steps` LED steps take
// (rounded up).
constexpr std::int64_t ledStepToX(std::int64_t step, int pps) { return step * pps / kLedStepsPerSecond; }
constexpr std::int64_t xToLedStep(std::int64_t x, int pps) { return x * kLedStepsPerSecond / pps; }
constexpr std::int64_t ledStepsWidth(std::int64_t steps, int pps) {
    return (steps * pps + kLedStepsPerSecond - 1) / kLedStepsPerSecond;
}

// Left edge of the cell of time step g, which is centred on the step's time:
// ((80 g - 40) ms × pps) / 1000. Step 0's cell starts half a step left of zero.
constexpr std::int64_t stepToX(std::int64_t step, int pps) {
    return (step * kMsPerStep - kMsPerStep / 2) * pps / kMsPerSecond;
}
// Width of n time steps: (80 n ms × pps) / 1000; also the x of step n's time.
constexpr std::int64_t stepsWidth(std::int64_t steps, int pps) {
    return steps * kMsPerStep * pps / kMsPerSecond;
}
// The time step nearest to x (rounding halves up); 0 left of time zero.
constexpr std::int64_t pixelToStep(std::int64_t x, int pps) {
    const std::int64_t stepScaled = std::int64_t{pps} * kMsPerStep;  // one step in pixels × 1000
    return std::max<std::int64_t>(0, (x * kMsPerSecond + stepScaled / 2) / stepScaled);
}

// A 64-bit pixel position as an int for drawing and extents, saturated.
constexpr int toPixels(std::int64_t x) {
    return static_cast<int>(std::clamp<std::int64_t>(x, INT32_MIN, INT32_MAX));
}

}  // namespace rova::axis
