// A full performance check of a 10-minute full-body performance with a
// keyframe every time step and a 10-minute eye track: a calm dance with a few
// problems (the usual case), and one where every segment is flagged.
#include <benchmark/benchmark.h>

#include <cmath>

#include "check/check.h"

namespace {

using namespace rova;

constexpr int kSteps = 10 * 60 * 1000 / kMsPerStep;  // 7500 keyframes
constexpr int kLedSteps = 10 * 60 * kLedStepsPerSecond;

// amplitude: the share of each joint's range the dance swings through; 1.4
// swings past the limits and faster than any joint may move.
CMotionTrack dance(double amplitude, double period) {
    std::array<int, kChannelCount> locators{};
    for (int c = 0; c < kChannelCount; ++c) locators[static_cast<std::size_t>(c)] = c;
    const int words = kChannelCount + 4;
    std::vector<std::int32_t> block(static_cast<std::size_t>(kSteps) * static_cast<std::size_t>(words));
    for (int k = 0; k < kSteps; ++k) {
        const std::size_t at = static_cast<std::size_t>(k) * static_cast<std::size_t>(words);
        block[at] = k == 0 ? 0 : kTicksPerStep;
        for (int c = 0; c < kChannelCount; ++c) {
            const ChannelInfo& ch = kChannelInfo[static_cast<std::size_t>(c)];
            const double mid = (ch.lower + ch.upper) / 2.0, half = (ch.upper - ch.lower) / 2.0;
            const double d = mid + amplitude * half * std::sin((k + 7 * c) * 2 * M_PI / period);
            block[at + 4 + static_cast<std::size_t>(c)] = valueFromDegrees(d);
        }
    }
    CMotionTrack motion;
    motion.assign(MOTION_FULL_BODY, kChannelCount, locators, std::move(block), kSteps);
    motion.setFirstChannel(0);
    return motion;
}

CLedTrack blinking() {
    CLedTrack leds;
    leds.steps.resize(kLedSteps);
    for (int i = 0; i < kLedSteps; ++i) leds.steps[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((i / 3) % 4);
    return leds;
}

void run(benchmark::State& state, const CMotionTrack& motion) {
    const CLedTrack leds = blinking();
    std::size_t found = 0;
    for (auto _ : state) {
        const auto problems = check::checkPerformance(motion, leds, motion.totalTicks());
        found = problems.size();
        benchmark::DoNotOptimize(problems.data());
    }
    state.counters["problems"] = static_cast<double>(found);
}

void CheckCalmDance(benchmark::State& state) {
    // Within the limits; the quicker joints (head turn, paws) now and then too fast.
    run(state, dance(0.9, 60));
}
BENCHMARK(CheckCalmDance)->Unit(benchmark::kMillisecond);

void CheckEverySegmentFlagged(benchmark::State& state) {
    run(state, dance(1.4, 3));
}
BENCHMARK(CheckEverySegmentFlagged)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
