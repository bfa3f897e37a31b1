// The time axis of the performance view: where motion ticks, audio samples, LED
// steps and time steps fall in pixels at a scale of pps pixels a second, x
// counted from time zero. Every product is 64-bit: at 1000 pixels a second a
// 32-bit x × 8000 passes its range after 268 s. Divisions truncate toward zero.
// Toolkit-free, for the panes and the view alike.
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>

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

// x of a time in milliseconds, and the time under x (both from time zero).
constexpr std::int64_t msToX(std::int64_t ms, int pps) { return ms * pps / kMsPerSecond; }
constexpr std::int64_t xToMs(std::int64_t x, int pps) { return x * kMsPerSecond / pps; }

// The ruler's ticks: a labelled tick every labelMs and a small one every
// minorMs. Spacings come from one list so labels fall on round times; the
// finest one whose labels stand at least minLabelPixels apart is taken, which
// keeps labels from overlapping at every zoom (1000 down to 1 pixel a second).
struct RulerSpacing {
    std::int64_t labelMs;
    std::int64_t minorMs;
};
inline constexpr RulerSpacing kRulerSpacings[] = {
    {100, 20},         {200, 100},         {500, 100},         {1'000, 200},       {2'000, 500},
    {5'000, 1'000},    {10'000, 2'000},    {15'000, 5'000},    {30'000, 10'000},   {60'000, 10'000},
    {120'000, 30'000}, {300'000, 60'000},  {600'000, 120'000}, {1'200'000, 300'000}, {1'800'000, 600'000},
    {3'600'000, 600'000},
};
constexpr RulerSpacing rulerSpacing(int pps, int minLabelPixels) {
    for (const RulerSpacing& s : kRulerSpacings)
        if (msToX(s.labelMs, pps) >= minLabelPixels) return s;
    return kRulerSpacings[std::size(kRulerSpacings) - 1];
}
// Minor ticks closer than this many pixels are left out: they would read as a bar.
inline constexpr int kMinMinorTickPixels = 4;

// The smallest zoom factor (ms a pixel, so the largest whole pixels a second)
// at which `ms` fit into `pixels`; INT32_MAX when not even 1 pixel a second does.
constexpr int zoomToShow(std::int64_t ms, std::int64_t pixels) {
    if (ms <= 0) return 1;
    if (pixels <= 0) return INT32_MAX;
    const std::int64_t pps = pixels * kMsPerSecond / ms;
    if (pps >= kMsPerSecond) return 1;
    if (pps <= 0) return INT32_MAX;
    // pps = 1000 / zoom truncates: the first zoom whose pps is at most this one.
    return static_cast<int>(kMsPerSecond / (pps + 1) + 1);
}
// One notch of wheel zoom: about a fifth in or out, and always to another
// whole number of pixels a second (pps = 1000 / zoom truncates, so near the
// coarse end many zoom factors share one pps), within [minZoom, maxZoom].
constexpr int zoomStep(int zoom, bool in, int minZoom, int maxZoom) {
    const int pps = kMsPerSecond / zoom;
    int z = std::clamp(in ? zoom * 4 / 5 : zoom * 5 / 4 + 1, minZoom, maxZoom);
    while (in && z > minZoom && kMsPerSecond / z == pps) --z;
    while (!in && z < maxZoom && kMsPerSecond / z == pps) ++z;
    return z;
}
// The scroll position that puts document x `docX` at window x `windowX` again.
constexpr std::int64_t scrollToKeep(std::int64_t docX, std::int64_t windowX) { return docX - windowX; }

// A 64-bit pixel position as an int for drawing and extents, saturated.
constexpr int toPixels(std::int64_t x) {
    return static_cast<int>(std::clamp<std::int64_t>(x, INT32_MIN, INT32_MAX));
}

}  // namespace rova::axis
