// How Dance to the Music dances on the beat, as docs/dance-steps.md reports it:
// the Beat Align Score against chance, kinematic beats near the beats, the
// variety between Vary numbers, Check's errors, and the time for a 3-minute song.
//
//     dance_table [--synth] [PERFORMANCE.MTN ...]
//
// --synth adds the built-in drum loops (kick, snare and hats at 60 to 190
// BPM, louder and quieter every 8 bars). Each performance is danced at three
// energies with five Vary numbers, with the eyes, on its own beats (NAME.BPM,
// else those found in its sound), over a fresh standing motion of its length,
// and again with the mouth too (checked, and scored in a column of its own);
// a performance's own motion is scored too (the example's hand-made dance is
// the positive control). Prints a Markdown table.
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "beats/beats.h"
#include "check/check.h"
#include "dance/beat_align.h"
#include "dance/music_dance.h"
#include "document/main_doc.h"
#include "platform/files.h"
#include "platform/messages.h"

using namespace rova;

namespace {

constexpr std::uint32_t kSeeds = 5;
constexpr std::uint32_t kVaryNumbers = 10;
constexpr int kSynthMs = 90000;
constexpr int kTimedSongMs = 180000;

struct Song {
    std::string name;
    std::vector<std::uint8_t> samples;  // 8000 Hz, 128 silence; empty for MIDI
    beats::BeatGrid grid;
    int lengthMs = 0;
    std::optional<dance::BeatAlign> own;  // the performance's own motion
};

// A drum loop: kick on 1 and 3, snare on 2 and 4, hats on the eighths; the
// second 8 bars of every 16 at half the level.
std::vector<std::uint8_t> drumLoop(double bpm, int lengthMs) {
    std::vector<double> mix(static_cast<std::size_t>(lengthMs) * 8, 0.0);
    std::uint32_t noise = 12345;
    auto rnd = [&] {
        noise = noise * 1664525u + 1013904223u;
        return static_cast<double>(noise >> 8) / 8388608.0 - 1.0;
    };
    const double beatMs = 60000.0 / bpm;
    for (int half = 0;; ++half) {
        const double at = half * beatMs / 2;
        if (at >= lengthMs) break;
        const int beat = half / 2;
        const double level = (beat / 32) % 2 ? 0.5 : 1.0;
        const auto start = static_cast<std::size_t>(at * 8);
        for (std::size_t i = 0; i < 1200 && start + i < mix.size(); ++i) {
            const double t = static_cast<double>(i) / 8000.0;
            double v = 0.25 * rnd() * std::exp(-t * 90);  // hat
            if (half % 2 == 0 && beat % 2 == 0) v += 0.9 * std::sin(2 * 3.14159265 * 60 * t) * std::exp(-t * 18);
            if (half % 2 == 0 && beat % 2 == 1) v += 0.6 * rnd() * std::exp(-t * 30);
            mix[start + i] += level * v;
        }
    }
    std::vector<std::uint8_t> out(mix.size());
    for (std::size_t i = 0; i < mix.size(); ++i)
        out[i] = static_cast<std::uint8_t>(std::clamp(128.0 + 100.0 * mix[i], 0.0, 255.0));
    return out;
}

CMotionTrack standing(int lengthMs) {
    std::array<int, kChannelCount> locators{};
    for (int c = 0; c < kChannelCount; ++c) locators[static_cast<std::size_t>(c)] = c;
    std::vector<std::int32_t> block;
    for (int k = 0; k < 2; ++k) {
        block.insert(block.end(), {k == 0 ? 0 : lengthMs / kMsPerStep * kTicksPerStep, 0, 0, 0});
        const auto& pose = dance::kStanding.values();
        block.insert(block.end(), pose.begin(), pose.end());
    }
    CMotionTrack m;
    m.assign(MOTION_FULL_BODY, kChannelCount, locators, std::move(block), 2);
    m.setFirstChannel(0);
    return m;
}

struct Run {
    CMotionTrack motion;
    dance::MusicDanceResult result;
    double ms = 0;
};

Run danceOnce(const Song& song, dance::Energy energy, std::uint32_t seed, bool mouth = false) {
    Run run{standing(song.lengthMs), {}, 0};
    CLedTrack leds;
    leds.steps.assign(static_cast<std::size_t>(song.lengthMs) * kLedStepsPerSecond / kMsPerSecond, 0);
    const CWaveTrack wave{song.samples.data(), static_cast<int>(song.samples.size())};
    dance::MusicDanceInput in;
    in.beats = &song.grid;
    in.wave = song.samples.empty() ? nullptr : &wave;
    in.endStep = song.lengthMs / kMsPerStep;
    in.settings = {energy, seed, true, mouth && !song.samples.empty()};
    const auto t0 = std::chrono::steady_clock::now();
    run.result = dance::danceToMusic(run.motion, leds, in);
    run.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    return run;
}

int errorsOf(const CMotionTrack& m) {
    int n = 0;
    for (const check::Problem& p : check::checkPerformance(m, CLedTrack{}))
        if (check::isError(p.kind)) ++n;
    return n;
}

// Mean absolute joint difference (degrees) over the time steps of two dances.
double distance(const CMotionTrack& a, const CMotionTrack& b) {
    const int last = std::min(a.totalTicks(), b.totalTicks()) / kTicksPerStep;
    double sum = 0;
    for (int s = 0; s <= last; ++s)
        for (int c = 0; c < kChannelCount; ++c)
            sum += std::abs(degreesFromValue(a.valueAtStep(s, c)) - degreesFromValue(b.valueAtStep(s, c)));
    return sum / ((last + 1) * kChannelCount);
}

beats::BeatGrid performanceBeats(const CMainDoc& doc) {
    if (!(doc.trackFlags() & (TRACK_WAVE | TRACK_MIDI))) return {};
    const auto bpmPath = PerformancePath::split(doc.pathName()).sibling("BPM");
    beats::BpmSetting setting;
    if (beats::readBpmFile(bpmPath, setting) == beats::BpmFileState::Read)
        return beats::evenBeats(setting, beats::soundLengthMs(doc.audioBytes()));
    return beats::beatsForSound(doc.audioBytes());
}

struct Totals {
    std::vector<double> align, lift, within;
    int errors = 0, runs = 0, songsClearing = 0, songs = 0, songsAllVaried = 0;
    std::vector<std::string> notes;
};

void report(const Song& song, Totals& totals) {
    double align = 0, chance = 0, within = 0, steps = 0, changes = 0, mouthAlign = 0;
    int errors = 0, runs = 0;
    for (dance::Energy energy : {dance::Energy::Low, dance::Energy::Medium, dance::Energy::High})
        for (std::uint32_t seed = 1; seed <= kSeeds; ++seed) {
            const Run run = danceOnce(song, energy, seed);
            const dance::BeatAlign score = dance::beatAlignOf(run.motion, song.grid.beatsMs);
            align += score.beatAlign;
            chance += score.chance;
            within += score.withinMs80;
            errors += errorsOf(run.motion) + (run.result.fit.fits ? 0 : 1);
            // The same dance with the jaw following the sound: checked, and
            // scored apart (the jaw's lip-sync is no dance of its own).
            const Run withMouth = danceOnce(song, energy, seed, true);
            errors += errorsOf(withMouth.motion) + (withMouth.result.fit.fits ? 0 : 1);
            mouthAlign += dance::beatAlignOf(withMouth.motion, song.grid.beatsMs).beatAlign;
            steps += static_cast<double>(run.result.steps.size());
            dance::Posture posture = dance::Posture::Standing;
            for (const dance::PlacedStep& p : run.result.steps)
                for (const dance::StepTraits& t : dance::musicSteps())
                    if (t.entry == p.entry) {
                        if (t.start != posture || t.end != t.start) changes += t.end != t.start;
                        posture = t.end;
                    }
            ++runs;
        }
    // Variety: ten Vary numbers at medium energy.
    std::vector<CMotionTrack> dances;
    std::set<std::vector<std::int32_t>> distinct;
    for (std::uint32_t seed = 1; seed <= kVaryNumbers; ++seed) {
        dances.push_back(danceOnce(song, dance::Energy::Medium, seed).motion);
        distinct.insert(dances.back().block());
    }
    double pair = 0;
    int pairs = 0;
    for (std::size_t i = 0; i < dances.size(); ++i)
        for (std::size_t j = i + 1; j < dances.size(); ++j, ++pairs) pair += distance(dances[i], dances[j]);
    const double minutes = song.lengthMs / 60000.0;
    align /= runs;
    chance /= runs;
    within /= runs;
    mouthAlign /= runs;
    std::printf("| %s | %.1f | %.3f | %.3f | %+.3f | %.0f %% | %.3f | %zu/%u | %.1f | %.1f | %.1f | %d |",
                song.name.c_str(), song.grid.bpm, align, chance, align - chance, 100 * within,
                song.samples.empty() ? align : mouthAlign, distinct.size(), kVaryNumbers, pairs ? pair / pairs : 0.0,
                steps / runs / minutes, changes / runs / minutes, errors);
    std::printf("\n");
    if (song.own && song.own->kinematicBeats > 0) {
        char note[160];
        std::snprintf(note, sizeof note, "%s's own motion: Beat Align %.3f against a chance of %.3f.", song.name.c_str(),
                      song.own->beatAlign, song.own->chance);
        totals.notes.push_back(note);
    }
    totals.align.push_back(align);
    totals.lift.push_back(align - chance);
    totals.within.push_back(within);
    totals.errors += errors;
    totals.runs += runs;
    ++totals.songs;
    totals.songsClearing += align - chance >= 0.2;
    totals.songsAllVaried += distinct.size() == kVaryNumbers;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<Song> songs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--synth") {
            for (double bpm : {60.0, 75.0, 90.0, 105.0, 128.0, 150.0, 170.0, 190.0}) {
                Song s;
                char name[40];
                std::snprintf(name, sizeof name, "drums-%.0f", bpm);
                s.name = name;
                s.samples = drumLoop(bpm, kSynthMs);
                s.grid = beats::beatsFromSamples(s.samples);
                s.lengthMs = kSynthMs;
                songs.push_back(std::move(s));
            }
            continue;
        }
        RecordingMessages ui;
        CMainDoc doc(ui);
        if (!doc.onOpenDocument(arg)) {
            std::fprintf(stderr, "%s: cannot open\n", arg.c_str());
            return 1;
        }
        Song s;
        s.name = std::filesystem::path(arg).stem().string();
        if (doc.trackFlags() & TRACK_WAVE) s.samples.assign(doc.wave().samples, doc.wave().samples + doc.wave().sampleCount);
        s.grid = performanceBeats(doc);
        s.lengthMs = doc.motion().totalTicks() * kMsPerTick;
        if (doc.motion().kind() == MOTION_FULL_BODY) s.own = dance::beatAlignOf(doc.motion(), s.grid.beatsMs);
        songs.push_back(std::move(s));
    }
    if (songs.empty()) {
        std::fprintf(stderr, "usage: dance_table [--synth] [PERFORMANCE.MTN ...]\n");
        return 2;
    }
    std::printf("| Song | BPM found | Beat Align | chance | lift | kin. beats ≤ 80 ms | with mouth | Vary distinct "
                "| pair distance (°) | steps/min | posture changes/min | Check errors |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    Totals totals;
    for (const Song& song : songs) {
        if (song.grid.empty()) {
            std::printf("| %s | no beats | | | | | | | | | | |\n", song.name.c_str());
            continue;
        }
        report(song, totals);
    }
    auto mean = [](const std::vector<double>& v) {
        double s = 0;
        for (double x : v) s += x;
        return v.empty() ? 0.0 : s / static_cast<double>(v.size());
    };
    std::printf("\n");
    for (const std::string& note : totals.notes) std::printf("%s\n", note.c_str());
    std::printf("Over %d songs, %d dances: mean Beat Align %.3f, lowest lift over chance %+.3f, %d songs at +0.20 or "
                "more, mean %.0f %% of kinematic beats within 80 ms, %d songs with %u different dances for %u Vary "
                "numbers, %d Check errors.\n",
                totals.songs, totals.runs, mean(totals.align),
                totals.lift.empty() ? 0.0 : *std::min_element(totals.lift.begin(), totals.lift.end()),
                totals.songsClearing, 100 * mean(totals.within), totals.songsAllVaried, kVaryNumbers, kVaryNumbers,
                totals.errors);
    // The time for a 3-minute song, the whole command, best of five.
    Song timed;
    timed.samples = drumLoop(128, kTimedSongMs);
    timed.grid = beats::beatsFromSamples(timed.samples);
    timed.lengthMs = kTimedSongMs;
    double best = 1e9;
    for (std::uint32_t seed = 1; seed <= 5; ++seed)
        best = std::min(best, danceOnce(timed, dance::Energy::High, seed, true).ms);
    std::printf("A 3-minute song at 128 BPM, high energy with eyes and mouth: %.1f ms.\n", best);
    return 0;
}
