// Each time edit as a command runs it (plan, budget check, apply, one undo
// step) on a 522-keyframe full-body motion with a 10-minute eye track, on
// every row and on one row. The aim is at most 2 ms a command.
#include <benchmark/benchmark.h>

#include "document/edit_history.h"
#include "full_body_motion.h"
#include "model/time_edit.h"

namespace {

using namespace rova;

constexpr int kKeyframes = 522;             // the most a full-body motion file holds
constexpr int kLedSteps = 10 * 60 * 12;     // ten minutes of eye lights
constexpr std::uint32_t kAllColumns = (1u << kChannelCount) - 1u;

struct Tracks {
    CMotionTrack motion;
    CLedTrack leds;
    CEditHistory history;

    Tracks() {
        // A keyframe every 14 steps: the motion spans about ten minutes.
        motion = bench::fullBodyMotion(kKeyframes, 70, 1000);
        for (int i = 0; i < kLedSteps; ++i) leds.steps.push_back(static_cast<std::uint8_t>(i / 7 % 4));
    }

    // What a command does: plan, check, apply inside one undo step; then the
    // undo puts the tracks back for the next round (not timed).
    void run(benchmark::State& state, const TimeRows& rows, const TimeEdit& edit) {
        ViewSelection s;
        for (auto _ : state) {
            TimeEditPlan plan = planTimeEdit(motion, leds, rows, edit);
            if (!plan.fits) continue;  // the command refuses: nothing more to do
            history.begin(motion, leds, "Edit", {});
            applyTimeEdit(motion, leds, std::move(plan));
            history.end(motion, leds, {});
            state.PauseTiming();
            history.undo(motion, leds, s);
            state.ResumeTiming();
        }
    }
};

// A one-minute range in the middle: 750 steps from step 3000.
const TimeEdit kEdits[] = {
    {TimeEditKind::Move, 3000, 750, 3001},
    {TimeEditKind::Insert, 3000, 750, 0},
    {TimeEditKind::Delete, 3000, 750, 0},
    {TimeEditKind::Duplicate, 3000, 750, 3750},
};
const char* const kNames[] = {"move one step", "insert a minute", "delete a minute", "duplicate a minute"};

void EveryRow(benchmark::State& state) {
    Tracks t;
    t.run(state, {kAllColumns, 3}, kEdits[state.range(0)]);
    state.SetLabel(kNames[state.range(0)]);
}
BENCHMARK(EveryRow)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

// One row needs keyframes at new times in all the others: the costlier case
// (a refusal when the motion would no longer fit).
void OneRow(benchmark::State& state) {
    Tracks t;
    t.run(state, {1u << 7, 0}, kEdits[state.range(0)]);
    state.SetLabel(kNames[state.range(0)]);
}
BENCHMARK(OneRow)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
