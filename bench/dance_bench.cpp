// Dance to the Music on a 3-minute song: planning, writing, fitting the motion
// file, the mouth and the eyes, as the command runs it on a new performance.
#include <benchmark/benchmark.h>

#include <cmath>

#include "dance/music_dance.h"

namespace {

using namespace rova;

constexpr int kSongMs = 180000;

beats::BeatGrid gridOf(double bpm) {
    beats::BeatGrid g;
    g.source = beats::BeatSource::Manual;
    g.bpm = bpm;
    g.downbeatsKnown = true;
    for (int i = 0;; ++i) {
        const int ms = static_cast<int>(std::lround(i * 60000.0 / bpm));
        if (ms > kSongMs) break;
        g.beatsMs.push_back(ms);
        if (i % 4 == 0) g.downbeatsMs.push_back(ms);
    }
    return g;
}

// A song whose loudness swells and falls every few seconds.
std::vector<std::uint8_t> song() {
    std::vector<std::uint8_t> s(static_cast<std::size_t>(kSongMs) * 8);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double swell = 0.5 + 0.5 * std::sin(static_cast<double>(i) / 8000.0);
        s[i] = static_cast<std::uint8_t>(128 + 100 * swell * std::sin(static_cast<double>(i) * 0.7));
    }
    return s;
}

// What a new performance starts with: the standing pose held over the song.
CMotionTrack standing() {
    std::array<int, kChannelCount> locators{};
    for (int c = 0; c < kChannelCount; ++c) locators[static_cast<std::size_t>(c)] = c;
    std::vector<std::int32_t> block;
    for (int k = 0; k < 2; ++k) {
        block.insert(block.end(), {k == 0 ? 0 : kSongMs / kMsPerTick, 0, 0, 0});
        const auto& pose = dance::kStanding.values();
        block.insert(block.end(), pose.begin(), pose.end());
    }
    CMotionTrack m;
    m.assign(MOTION_FULL_BODY, kChannelCount, locators, std::move(block), 2);
    m.setFirstChannel(0);
    return m;
}

void BM_DanceToMusic3MinuteSong(benchmark::State& state) {
    const std::vector<std::uint8_t> samples = song();
    const CWaveTrack wave{samples.data(), static_cast<int>(samples.size())};
    const beats::BeatGrid grid = gridOf(static_cast<double>(state.range(0)));
    dance::musicSteps();  // the step catalogue is built once per run of the program
    std::int32_t tolerance = 0;
    for (auto _ : state) {
        CMotionTrack motion = standing();
        CLedTrack leds;
        leds.steps.assign(kSongMs * 12 / 1000, 0);
        dance::MusicDanceInput in;
        in.beats = &grid;
        in.wave = &wave;
        in.endStep = kSongMs / kMsPerStep;
        in.settings = {dance::Energy::High, 11, true, true};
        const dance::MusicDanceResult r = dance::danceToMusic(motion, leds, in);
        tolerance = r.fit.tolerance;
        benchmark::DoNotOptimize(motion.keyframeCount());
    }
    state.counters["tolerance_urad"] = tolerance;
}
BENCHMARK(BM_DanceToMusic3MinuteSong)->Arg(90)->Arg(128)->Arg(174)->Unit(benchmark::kMillisecond);

// Building the catalogue of steps (liveliness, postures, keyframe costs), paid once.
void BM_StepCatalogue(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(dance::musicSteps().size());
}
BENCHMARK(BM_StepCatalogue)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
