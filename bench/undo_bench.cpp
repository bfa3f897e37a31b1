// Undo and redo of one step on a 522-keyframe full-body motion with a 10-minute
// eye track, and the cost of an action with a long history behind it.
#include <benchmark/benchmark.h>

#include "document/edit_history.h"
#include "full_body_motion.h"

namespace {

using namespace rova;

constexpr int kKeyframes = 522;
constexpr int kLedSteps = 10 * 60 * 12;

struct Tracks {
    CMotionTrack motion;
    CLedTrack leds;
    CEditHistory history;

    Tracks() {
        motion = bench::fullBodyMotion(kKeyframes, 5, 1);
        leds.steps.assign(kLedSteps, 1);
    }
    // One action that changes one value and one eye step.
    void act(int i) {
        history.begin(motion, leds, "Set Value", {});
        motion.setValue(1 + i % (kKeyframes - 2), i % kChannelCount, i);
        leds.steps[static_cast<std::size_t>(i % kLedSteps)] ^= 2;
        history.end(motion, leds, {});
    }
};

void UndoRedo(benchmark::State& state) {
    Tracks t;
    t.act(1);
    ViewSelection s;
    for (auto _ : state) {
        t.history.undo(t.motion, t.leds, s);
        t.history.redo(t.motion, t.leds, s);
    }
    state.SetLabel("one undo and one redo");
}
BENCHMARK(UndoRedo)->Unit(benchmark::kMicrosecond);

// An action after `range` earlier ones costs the same as the first.
void ActionAfterHistory(benchmark::State& state) {
    Tracks t;
    for (int i = 0; i < state.range(0); ++i) t.act(i);
    int i = 0;
    for (auto _ : state) t.act(++i);
}
BENCHMARK(ActionAfterHistory)->Arg(0)->Arg(100)->Arg(999)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
