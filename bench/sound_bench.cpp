// Making a performance from a 10-minute 44.1 kHz stereo song: the whole
// conversion, libsndfile's decoding alone, and the whole command with its
// three files, for an MP3 and for a 16-bit WAVE of the same sound.
#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <random>
#include <vector>

#include "sound/sound_import.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRate = 44100;
constexpr std::int64_t kFrames = std::int64_t{kRate} * 600;

// A few tones and some noise, different on the two channels, written in blocks.
bool writeSong(const fs::path& path, int format) {
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 2;
    info.format = format;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f) return false;
    std::minstd_rand noise(7);
    std::uniform_real_distribution<float> jitter(-0.05f, 0.05f);
    std::vector<float> block(2 * 4096);
    bool ok = true;
    for (std::int64_t at = 0; at < kFrames && ok; at += 4096) {
        const std::int64_t n = std::min<std::int64_t>(4096, kFrames - at);
        for (std::int64_t i = 0; i < n; ++i) {
            const double t = static_cast<double>(at + i) / kRate;
            const double beat = 0.5 + 0.5 * std::sin(2 * std::numbers::pi * 2 * t);
            const double tone = 0.3 * std::sin(2 * std::numbers::pi * 220 * t) + 0.2 * std::sin(2 * std::numbers::pi * 331 * t);
            block[static_cast<std::size_t>(2 * i)] = static_cast<float>(beat * tone) + jitter(noise);
            block[static_cast<std::size_t>(2 * i + 1)] = static_cast<float>(0.8 * tone) + jitter(noise);
        }
        ok = sf_writef_float(f, block.data(), n) == n;
    }
    return sf_close(f) == 0 && ok;
}

// The songs, made once per run in a folder removed at exit.
struct Songs {
    fs::path dir = fs::temp_directory_path() / ("rova-sound-bench-" + std::to_string(std::random_device{}()));
    fs::path mp3 = dir / "song.mp3";
    fs::path wav = dir / "song.wav";
    Songs() {
        fs::create_directories(dir);
        if (!writeSong(mp3, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III) || !writeSong(wav, SF_FORMAT_WAV | SF_FORMAT_PCM_16))
            fs::remove_all(dir);
    }
    ~Songs() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

const Songs& songs() {
    static Songs s;
    return s;
}

const fs::path& song(const benchmark::State& state) { return state.range(0) ? songs().mp3 : songs().wav; }

void BM_Convert(benchmark::State& state) {
    const fs::path& path = song(state);  // made before the clock runs
    std::vector<std::uint8_t> samples;
    for (auto _ : state) {
        const auto r = rova::sound::convertToSamples(path, {}, [](double) { return true; }, samples);
        if (!r.ok()) {
            state.SkipWithError(r.message.c_str());
            break;
        }
    }
    state.counters["samples"] = static_cast<double>(samples.size());
}

void BM_DecodeOnly(benchmark::State& state) {
    const fs::path& path = song(state);
    std::vector<float> block(2 * 8192);
    sf_count_t frames = 0;
    for (auto _ : state) {
        SF_INFO info{};
        SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
        if (!f) {
            state.SkipWithError("cannot open");
            break;
        }
        frames = 0;
        for (sf_count_t n; (n = sf_readf_float(f, block.data(), 8192)) > 0;) frames += n;
        sf_close(f);
        benchmark::DoNotOptimize(block.data());
    }
    state.counters["frames"] = static_cast<double>(frames);
}

void BM_CreatePerformance(benchmark::State& state) {
    const fs::path& path = song(state);
    const fs::path target = songs().dir / "Perf.MTN";
    for (auto _ : state) {
        const auto r = rova::sound::createPerformance(path, target, {}, {});
        if (!r.ok()) {
            state.SkipWithError(r.message.c_str());
            break;
        }
        state.PauseTiming();
        for (const auto& f : r.written) fs::remove(f);
        state.ResumeTiming();
    }
}

}  // namespace

// Argument 1: MP3, 0: 16-bit WAVE.
BENCHMARK(BM_Convert)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DecodeOnly)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CreatePerformance)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
