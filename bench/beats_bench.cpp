// Finding the beats of a 10-minute sound: the audio detector over 8000 Hz
// 8-bit samples of a drum pattern with a band under it, and a MIDI tempo map
// of the same length; and how soon a running analysis stops when cancelled.
#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

#include "beats/beat_sounds.h"
#include "beats/beats.h"

namespace {

void BM_AudioBeats10Minutes(benchmark::State& state) {
    const auto sound = rova::test::pulseSound(rova::test::Pattern::Rock, 123.4, 600, 0, 1);
    std::size_t beats = 0;
    for (auto _ : state) {
        const rova::beats::BeatGrid grid = rova::beats::beatsFromSamples(sound.samples);
        beats = grid.beatsMs.size();
        benchmark::DoNotOptimize(grid.beatsMs.data());
    }
    state.counters["beats"] = static_cast<double>(beats);
}
BENCHMARK(BM_AudioBeats10Minutes)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_MidiBeats10Minutes(benchmark::State& state) {
    rova::test::MidiBuilder midi(480);
    // A tempo change every bar: 300 bars of 4/4 at 120 BPM give 10 minutes.
    for (std::uint32_t bar = 0; bar < 300; ++bar) midi.tempo(bar * 1920, 500000 + (bar % 2) * 10);
    const auto file = midi.endTrack(300 * 1920).bytes();
    for (auto _ : state) {
        const rova::beats::BeatGrid grid = rova::beats::beatsFromMidi(file);
        benchmark::DoNotOptimize(grid.beatsMs.data());
    }
}
BENCHMARK(BM_MidiBeats10Minutes)->Unit(benchmark::kMillisecond);

// Closing a window or Replace Audio cancels the analysis of its sound and the
// window waits for the worker to stop: the time from the cancel to the stop,
// with the cancel coming Arg milliseconds into the analysis of a 20-minute
// sound, so that each stage of the analysis is hit. It should stay well under
// 100 ms at every Arg.
void BM_AudioBeatsStopAfterCancel(benchmark::State& state) {
    static const auto sound = rova::test::pulseSound(rova::test::Pattern::Rock, 123.4, 1200, 0, 1);
    const rova::beats::Analyser analyser = [](rova::beats::Bytes, const rova::beats::CancelFlag& cancel) {
        return rova::beats::beatsFromSamples(sound.samples, cancel);
    };
    for (auto _ : state) {
        rova::beats::BeatAnalysis analysis({}, {}, analyser);
        std::this_thread::sleep_for(std::chrono::milliseconds(state.range(0)));
        const auto cancelled = std::chrono::steady_clock::now();
        analysis.cancel();
        analysis.wait();
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - cancelled).count());
    }
}
BENCHMARK(BM_AudioBeatsStopAfterCancel)->DenseRange(0, 1500, 100)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
