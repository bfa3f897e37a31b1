// Dance to the Music without any window: beats of several tempi, synthetic
// loudness, and the robot's limits checked on the result.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "check/check.h"
#include "dance/beat_align.h"
#include "dance/dance_steps.h"
#include "dance/music_dance.h"
#include "support/track_builder.h"

using namespace rova;
using namespace rova::dance;

namespace {

// Beats at a tempo from a first beat, every beatsPerBar-th a downbeat.
beats::BeatGrid gridOf(double bpm, int firstMs, int lengthMs, bool downbeats = true, int beatsPerBar = 4) {
    beats::BeatGrid g;
    g.source = beats::BeatSource::Manual;
    g.bpm = bpm;
    g.downbeatsKnown = downbeats;
    const double period = 60000.0 / bpm;
    for (int i = 0;; ++i) {
        const int ms = firstMs + static_cast<int>(std::lround(i * period));
        if (ms > lengthMs) break;
        g.beatsMs.push_back(ms);
        if (downbeats && i % beatsPerBar == 0) g.downbeatsMs.push_back(ms);
    }
    return g;
}

// A full-body motion of two keyframes holding one pose for `steps` time steps
// (what a new performance starts with).
CMotionTrack holding(const Frame& pose, int steps) {
    std::vector<std::int32_t> row0{0}, row1{steps * kTicksPerStep};
    row0.insert(row0.end(), pose.begin(), pose.end());
    row1.insert(row1.end(), pose.begin(), pose.end());
    return test::makeTrack(MOTION_FULL_BODY, {row0, row1});
}

// The errors Check Performance reports (out of range, too fast, far too fast,
// too large for the motion file), and, stricter than its range rule, any
// joint outside its true limits: the generator promises to stay inside them.
std::vector<std::string> problemsOf(const CMotionTrack& m) {
    std::vector<std::string> problems;
    for (int k = 0; k < m.keyframeCount(); ++k)
        for (int c = 0; c < m.channelCount(); ++c) {
            const ChannelInfo& info = kChannelInfo[static_cast<std::size_t>(m.firstChannel() + c)];
            const double deg = degreesFromValue(m.value(k, c));
            if (deg < info.lower || deg > info.upper)
                problems.push_back("outside limits k" + std::to_string(k) + " " + std::string(info.name));
        }
    for (const check::Problem& p : check::checkPerformance(m, CLedTrack{}))
        if (check::isError(p.kind)) problems.push_back(check::describe(p));
    return problems;
}

const StepTraits& traitsOf(int entry) {
    for (const StepTraits& t : musicSteps())
        if (t.entry == entry) return t;
    ADD_FAILURE() << "no traits for entry " << entry;
    return musicSteps().front();
}

// A song whose loudness rises and falls: quiet, loud, quiet, loud ... every `phraseMs`.
std::vector<std::uint8_t> songSamples(int lengthMs, int phraseMs) {
    std::vector<std::uint8_t> s(static_cast<std::size_t>(lengthMs) * 8, 128);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const bool loud = (static_cast<int>(i / 8) / phraseMs) % 2 == 1;
        const int amplitude = loud ? 90 : 12;
        s[i] = static_cast<std::uint8_t>(128 + ((i / 4) % 2 ? amplitude : -amplitude));
    }
    return s;
}

DanceRequest requestFor(const beats::BeatGrid& grid, int endStep, std::uint32_t seed) {
    DanceRequest r;
    r.beats = &grid;
    r.loudness.assign(grid.beatsMs.size(), 0.5);
    r.startStep = 0;
    r.endStep = endStep;
    r.startPose = kStanding.values();
    r.seed = seed;
    return r;
}

}  // namespace

TEST(MusicDance, TheLibraryOffersStepsInEveryPostureAndWaysBetweenThem) {
    std::map<std::pair<Posture, Posture>, int> kinds;
    for (const StepTraits& t : musicSteps()) ++kinds[{t.start, t.end}];
    EXPECT_GE((kinds[{Posture::Standing, Posture::Standing}]), 10);
    EXPECT_GE((kinds[{Posture::Seated, Posture::Seated}]), 10);
    EXPECT_GE((kinds[{Posture::Lying, Posture::Lying}]), 3);
    for (auto change : {std::pair(Posture::Standing, Posture::Seated), std::pair(Posture::Seated, Posture::Standing),
                        std::pair(Posture::Standing, Posture::Lying), std::pair(Posture::Lying, Posture::Standing)})
        EXPECT_EQ(kinds[change], 1);
    EXPECT_EQ(postureOf(kStanding.values()), Posture::Standing);
    EXPECT_EQ(postureOf(kSeated.values()), Posture::Seated);
    EXPECT_EQ(postureOf(kLying.values()), Posture::Lying);
}

// Steps on beats (downbeats for two bars or more), posture kept at every
// joint, no repeat within 8 beats: over tempi, beat offsets and seeds.
TEST(MusicDance, StepsStartOnBeatsFollowThePostureAndDoNotRepeatSoon) {
    const struct {
        double bpm;
        int firstMs;
        bool downbeats;
    } songs[] = {{60, 0, true}, {92, 310, true}, {120, 0, true}, {137.5, 45, false}, {174, 700, true}, {200, 20, false}};
    for (const auto& song : songs)
        for (std::uint32_t seed : {1u, 7u, 4242u}) {
            SCOPED_TRACE(std::to_string(song.bpm) + " BPM, seed " + std::to_string(seed));
            const beats::BeatGrid grid = gridOf(song.bpm, song.firstMs, 90000, song.downbeats);
            const DancePlan plan = planDance(requestFor(grid, 90000 / kMsPerStep, seed));
            ASSERT_EQ(plan.poses.size(), static_cast<std::size_t>(90000 / kMsPerStep + 1));
            ASSERT_GE(plan.steps.size(), 5u);
            const double beatSteps = 60000.0 / song.bpm / kMsPerStep;
            Posture posture = Posture::Standing;
            std::map<int, int> lastEnd;
            for (const PlacedStep& p : plan.steps) {
                const int ms = p.startStep * kMsPerStep;
                const auto near = std::min_element(grid.beatsMs.begin(), grid.beatsMs.end(),
                                                   [&](int a, int b) { return std::abs(a - ms) < std::abs(b - ms); });
                EXPECT_LE(std::abs(*near - ms), kMsPerStep / 2) << "step at " << ms << " ms";
                if (song.downbeats && p.frames >= 8 * beatSteps) {
                    EXPECT_TRUE(std::binary_search(grid.downbeatsMs.begin(), grid.downbeatsMs.end(), *near));
                }
                const StepTraits& t = traitsOf(p.entry);
                EXPECT_EQ(t.start, posture) << danceSteps()[static_cast<std::size_t>(p.entry)].name;
                posture = t.end;
                // The step, warped onto the beats, ends in its own last frame.
                EXPECT_EQ(plan.poses[static_cast<std::size_t>(p.startStep + p.frames - 1)],
                          stepFrame(p.entry, danceSteps()[static_cast<std::size_t>(p.entry)].frameCount - 1));
                if (lastEnd.count(p.entry)) {
                    const auto beatsBetween = std::count_if(grid.beatsMs.begin(), grid.beatsMs.end(), [&](int b) {
                        return b > lastEnd[p.entry] * kMsPerStep + kMsPerStep / 2 && b < ms - kMsPerStep / 2;
                    });
                    EXPECT_GE(beatsBetween, 7) << "repeat of " << p.entry;
                }
                lastEnd[p.entry] = p.startStep + p.frames - 1;
            }
        }
}

// The whole command on the tracks: no joint out of range, nothing too fast,
// the file fits, for many seeds and settings, with eyes and mouth too.
TEST(MusicDance, ResultHasNoRangeSpeedOrSizeProblems) {
    const std::vector<std::uint8_t> samples = songSamples(60000, 7000);
    const CWaveTrack wave{samples.data(), static_cast<int>(samples.size())};
    const beats::BeatGrid grid = gridOf(128, 120, 60000);
    for (std::uint32_t seed = 0; seed < 24; ++seed)
        for (Energy energy : {Energy::Low, Energy::Medium, Energy::High}) {
            SCOPED_TRACE("seed " + std::to_string(seed) + " energy " + std::to_string(static_cast<int>(energy)));
            CMotionTrack motion = holding(kStanding.values(), 60000 / kMsPerStep);
            CLedTrack leds;
            leds.steps.assign(720, 0);
            MusicDanceInput in;
            in.beats = &grid;
            in.wave = seed % 3 == 2 ? nullptr : &wave;  // every third as MIDI: no samples
            in.startStep = 0;
            in.endStep = 60000 / kMsPerStep;
            in.settings = {energy, seed, seed % 2 == 0, seed % 2 == 1};
            const MusicDanceResult r = danceToMusic(motion, leds, in);
            EXPECT_FALSE(r.steps.empty());
            EXPECT_TRUE(r.fit.fits);
            EXPECT_THAT(problemsOf(motion), testing::IsEmpty());
            EXPECT_EQ(motion.totalTicks(), 60000 / kMsPerStep * kTicksPerStep);
        }
}

// A three-minute song needs the reduction: within the tolerance ladder, or
// down to the accents alone, every accent keeping its keyframe; the result
// is still clean.
TEST(MusicDance, ALongSongIsReducedToFitTheMotionFile) {
    const int lengthMs = 180000;
    const std::vector<std::uint8_t> samples = songSamples(lengthMs, 11000);
    const CWaveTrack wave{samples.data(), static_cast<int>(samples.size())};
    for (double bpm : {96.0, 128.0, 170.0}) {
        const beats::BeatGrid grid = gridOf(bpm, 0, lengthMs);
        CMotionTrack motion = holding(kStanding.values(), lengthMs / kMsPerStep);
        CLedTrack leds;
        MusicDanceInput in;
        in.beats = &grid;
        in.wave = &wave;
        in.endStep = lengthMs / kMsPerStep;
        in.settings = {Energy::High, 3, false, true};
        const MusicDanceResult r = danceToMusic(motion, leds, in);
        EXPECT_TRUE(r.fit.fits);
        EXPECT_GT(r.fit.tolerance, 0);
        EXPECT_TRUE(r.fit.tolerance <= kMaxFitTolerance || r.fit.tolerance == kAccentsOnly) << r.fit.tolerance;
        EXPECT_THAT(problemsOf(motion), testing::IsEmpty());
        // The dance still turns on the beat after the reduction.
        const BeatAlign score = beatAlignOf(motion, grid.beatsMs);
        EXPECT_GE(score.beatAlign, 0.5) << bpm << " BPM";
        EXPECT_GE(score.beatAlign, score.chance + 0.2) << bpm << " BPM";
    }
}

TEST(MusicDance, SameInputsAndSeedGiveTheSameDanceAndSeedsVary) {
    const beats::BeatGrid grid = gridOf(110, 200, 40000);
    auto run = [&](std::uint32_t seed) {
        CMotionTrack motion = holding(kSeated.values(), 40000 / kMsPerStep);
        CLedTrack leds;
        leds.steps.assign(480, 0);
        MusicDanceInput in;
        in.beats = &grid;
        in.endStep = 40000 / kMsPerStep;
        in.settings = {Energy::Medium, seed, true, false};
        const MusicDanceResult r = danceToMusic(motion, leds, in);
        return std::tuple(test::rowsOf(motion), leds.steps, r.steps.size());
    };
    EXPECT_EQ(run(5), run(5));
    EXPECT_NE(std::get<0>(run(5)), std::get<0>(run(6)));
}

// A range inside a busy motion: everything outside stays, the range's end
// keeps the pose that follows and the dance returns to its start posture.
TEST(MusicDance, ARangeInsideTheMotionJoinsWhatFollows) {
    const int steps = 600;
    test::KeyframeRows rows;
    for (int s = 0; s <= steps; ++s) {
        std::vector<std::int32_t> row{s == 0 ? 0 : kTicksPerStep};
        const Frame pose = kSeated.head(std::sin(s / 5.0) * 10 - 20).values();
        row.insert(row.end(), pose.begin(), pose.end());
        rows.push_back(row);
    }
    const beats::BeatGrid grid = gridOf(100, 0, steps * kMsPerStep);
    for (std::uint32_t seed : {2u, 9u, 31u}) {
        CMotionTrack motion = test::makeTrack(MOTION_FULL_BODY, rows);
        const CMotionTrack before = motion;
        CLedTrack leds;
        MusicDanceInput in;
        in.beats = &grid;
        in.startStep = 37;
        in.endStep = 337;
        in.settings = {Energy::High, seed, false, false};
        const MusicDanceResult r = danceToMusic(motion, leds, in);
        ASSERT_FALSE(r.steps.empty());
        for (int s = 0; s <= steps; ++s) {
            if (s > in.startStep && s < in.endStep) continue;
            for (int c = 0; c < kChannelCount; ++c)
                ASSERT_EQ(motion.valueAtStep(s, c), before.valueAtStep(s, c)) << "step " << s << " channel " << c;
        }
        EXPECT_EQ(traitsOf(r.steps.back().entry).end, Posture::Seated);
        EXPECT_GE(r.steps.front().startStep, in.startStep);
        EXPECT_LE(r.steps.back().startStep + r.steps.back().frames - 1, in.endStep);
        EXPECT_THAT(problemsOf(motion), testing::IsEmpty());
    }
}

// Over many seeds: loud beats get livelier steps than quiet ones, and the
// energy setting moves the whole choice.
TEST(MusicDance, LoudPassagesAndHighEnergyPreferLivelierSteps) {
    const beats::BeatGrid grid = gridOf(120, 0, 240000);
    auto meanLiveliness = [&](Energy energy, bool loudHalf) {
        double sum = 0;
        int n = 0;
        for (std::uint32_t seed = 0; seed < 12; ++seed) {
            DanceRequest r = requestFor(grid, 240000 / kMsPerStep, seed);
            r.energy = energy;
            for (std::size_t i = 0; i < grid.beatsMs.size(); ++i)
                r.loudness[i] = (grid.beatsMs[i] / 20000) % 2 == 1 ? 0.9 : 0.1;
            for (const PlacedStep& p : planDance(r).steps) {
                if (((p.startStep * kMsPerStep) / 20000 % 2 == 1) != loudHalf) continue;
                sum += traitsOf(p.entry).liveliness;
                ++n;
            }
        }
        return sum / std::max(n, 1);
    };
    EXPECT_GT(meanLiveliness(Energy::Medium, true), meanLiveliness(Energy::Medium, false) + 0.15);
    EXPECT_GT(meanLiveliness(Energy::High, false), meanLiveliness(Energy::Low, false) + 0.1);
}

TEST(MusicDance, EyesFlashGreenOnBeatsAndRedOnDownbeatsInsideTheRange) {
    // Beats every 500 ms (6 LED steps apart), downbeats every 4.
    const beats::BeatGrid grid = gridOf(120, 0, 5000);
    CLedTrack leds;
    leds.steps.assign(60, 0x02);
    flashEyesOnBeats(leds, grid, 11, 45);  // 880 ms .. 3600 ms: LED steps 11 .. 43
    std::string got;
    for (std::uint8_t b : leds.steps) got += static_cast<char>('0' + b);
    // Beats at 1000 (LED step 12), 1500 (18), 2000 (24, a downbeat), 2500, 3000 and 3500 (42); LED step 43
    // starts inside the range too, at 3583 ms.
    EXPECT_EQ(got, "222222222220110000110000330000110000110000112222222222222222");
    EXPECT_TRUE(leds.isModified());
}

TEST(MusicDance, LoudnessPerBeatIsTheLoudShareBetweenBeats) {
    std::vector<std::uint8_t> samples(16000, 128);
    std::fill(samples.begin() + 4000, samples.begin() + 6000, 200);  // loud from 500 ms to 750 ms
    std::fill(samples.begin() + 6000, samples.begin() + 8000, 150);  // below the threshold
    beats::BeatGrid grid;
    grid.beatsMs = {0, 500, 1500, 3000};
    EXPECT_THAT(loudnessPerBeat(samples.data(), 16000, grid, 30), testing::ElementsAre(0.0, 0.25, 0.0, 0.0));
    grid.beatsMs = {0, 500};  // the last beat reaches to the end of the sound
    EXPECT_THAT(loudnessPerBeat(samples.data(), 8000, grid, 30), testing::ElementsAre(0.0, 0.5));
}

// Slowing the jaw keeps both ends and every segment within its max speed.
TEST(MusicDance, LimitSpeedKeepsTheEndsAndTheSpeed) {
    test::KeyframeRows rows;
    const std::int32_t open = -550000;
    for (int s = 0; s <= 12; ++s) {
        std::vector<std::int32_t> row(19, 0);
        row[0] = s == 0 ? 0 : kTicksPerStep;
        row[1 + Mouth] = (s >= 3 && s <= 10) ? open : 0;
        rows.push_back(row);
    }
    CMotionTrack motion = test::makeTrack(MOTION_FULL_BODY, rows);
    limitSpeed(motion, Mouth, 0, 12);
    EXPECT_EQ(motion.value(0, Mouth), 0);
    EXPECT_EQ(motion.value(12, Mouth), 0);
    EXPECT_LT(motion.value(7, Mouth), -450000);  // still opens wide in the middle
    EXPECT_THAT(problemsOf(motion), testing::IsEmpty());
}

// Beat grids as a faulty analysis might give them: the dance still comes out
// whole, within the joints' limits and speeds.
TEST(MusicDance, OddBeatGridsGiveACleanDance) {
    beats::BeatGrid unsorted;
    unsorted.beatsMs = {3000, 1000, -500, 2000, 500, 2000, 9000, 4000};
    unsorted.downbeatsKnown = true;
    unsorted.downbeatsMs = {4000, 0};
    beats::BeatGrid late = gridOf(120, 50000, 60000);  // no beat inside the range
    beats::BeatGrid slow = gridOf(120, 0, 30000);
    slow.bpm = 1e-9;
    beats::BeatGrid fast = gridOf(120, 0, 30000);
    fast.bpm = 1e9;
    beats::BeatGrid hugeBars = gridOf(120, 0, 30000);
    hugeBars.downbeatsMs = {0, 2000000000};
    beats::BeatGrid none;
    for (const beats::BeatGrid* grid : {&unsorted, &late, &slow, &fast, &hugeBars, &none}) {
        CMotionTrack motion = holding(kStanding.values(), 375);  // 30 s
        CLedTrack leds;
        leds.steps.assign(360, 0);
        MusicDanceInput in;
        in.beats = grid;
        in.startStep = 10;
        in.endStep = 300;
        in.settings = {Energy::High, 4, true, false};
        danceToMusic(motion, leds, in);
        SCOPED_TRACE(grid == &unsorted ? "unsorted" : grid == &late ? "late" : grid == &slow ? "slow" : grid == &fast ? "fast" : grid == &hugeBars ? "hugeBars" : "none");
        EXPECT_EQ(motion.totalTicks(), 375 * kTicksPerStep);
        EXPECT_THAT(problemsOf(motion), testing::IsEmpty());
    }
}

// When the motion outside the range already fills the file, the dance still
// goes in and the result says that the motion does not fit.
TEST(MusicDance, NoRoomOutsideTheRangeIsReported) {
    test::KeyframeRows rows;
    for (int s = 0; s <= 700; ++s) {
        std::vector<std::int32_t> row{s == 0 ? 0 : kTicksPerStep};
        const Frame pose = kStanding.head(s % 2 ? 1 : -1).values();  // nothing to reduce
        row.insert(row.end(), pose.begin(), pose.end());
        rows.push_back(row);
    }
    CMotionTrack motion = test::makeTrack(MOTION_FULL_BODY, rows);
    const beats::BeatGrid grid = gridOf(120, 0, 700 * kMsPerStep);
    CLedTrack leds;
    MusicDanceInput in;
    in.beats = &grid;
    in.startStep = 300;
    in.endStep = 400;
    const MusicDanceResult r = danceToMusic(motion, leds, in);
    EXPECT_FALSE(r.fit.fits);
    EXPECT_FALSE(r.steps.empty());
}

// Ten Vary numbers in a row give ten different dances, even on a short range
// where few steps fit, at every energy and at tempi that used to repeat.
TEST(MusicDance, EveryVaryNumberGivesADifferentDance) {
    for (double bpm : {125.0, 170.0})
        for (Energy energy : {Energy::Low, Energy::Medium, Energy::High}) {
            const beats::BeatGrid grid = gridOf(bpm, 0, 200 * kMsPerStep);
            std::map<test::KeyframeRows, std::uint32_t> seen;
            for (std::uint32_t seed = 0; seed < 10; ++seed) {
                CMotionTrack motion = holding(kStanding.values(), 200);
                CLedTrack leds;
                MusicDanceInput in;
                in.beats = &grid;
                in.endStep = 200;
                in.settings = {energy, seed, false, false};
                danceToMusic(motion, leds, in);
                const auto [at, fresh] = seen.emplace(test::rowsOf(motion), seed);
                EXPECT_TRUE(fresh) << bpm << " BPM, energy " << static_cast<int>(energy) << ": Vary " << seed
                                   << " dances as Vary " << at->second;
            }
        }
}

// The eyes inside the range are replaced; a flash that crosses an edge keeps
// its outside part and is never left shorter than the check accepts.
TEST(MusicDance, EyeFlashesAtTheRangeEdgesStayLongEnoughAndOutsideStaysWhole) {
    const struct {
        const char* before;
        int startStep, endStep;
        const char* after;
    } cases[] = {
        // Steps 1..3 (80..240 ms) hold LED steps 1 and 2; the beat at 0 lies outside.
        {"1111111111", 1, 3, "1101111111"},
        {"1100000000", 1, 3, "1100000000"},
        {"0000111111", 1, 3, "0000111111"},
        {"0011111111", 1, 3, "0001111111"},
        // Steps 2..6 (160..480 ms): LED steps 2..5, no beat inside.
        {"0111111000", 2, 6, "0110011000"},
        {"0000001100", 2, 6, "0000001100"},
        {"0000000000", 2, 6, "0000000000"},
    };
    const beats::BeatGrid grid = gridOf(100, 0, 5000);  // beats at 0 and 600 ms
    for (const auto& c : cases) {
        CLedTrack leds;
        for (const char* p = c.before; *p; ++p) leds.steps.push_back(static_cast<std::uint8_t>(*p - '0'));
        flashEyesOnBeats(leds, grid, c.startStep, c.endStep);
        std::string got;
        for (std::uint8_t b : leds.steps) got += static_cast<char>('0' + b);
        EXPECT_EQ(got, c.after) << c.before << " over steps " << c.startStep << ".." << c.endStep;
    }
    // A beat flash that the range's end would cut starts earlier instead.
    CLedTrack leds;
    leds.steps.assign(30, 0);
    flashEyesOnBeats(leds, gridOf(60, 1000, 5000), 5, 15);  // 400..1200 ms: LED steps 5..14, the beat in 12
    std::string got;
    for (std::uint8_t b : leds.steps) got += static_cast<char>('0' + b);
    EXPECT_EQ(got.substr(0, 16), "0000000000003300");
    leds.steps.assign(30, 0);
    flashEyesOnBeats(leds, gridOf(60, 1100, 5000), 5, 14);  // 400..1120 ms: the beat in LED step 13, the last inside
    got.clear();
    for (std::uint8_t b : leds.steps) got += static_cast<char>('0' + b);
    EXPECT_EQ(got.substr(0, 16), "0000000000003300");
}

// Over many ranges and seeds on an eye track full of flashes: Check finds no
// short flash and nothing outside the range changes.
TEST(MusicDance, DancingWithEyesLeavesNoShortFlash) {
    const beats::BeatGrid grid = gridOf(128, 30, 30000);
    for (int startStep : {0, 1, 2, 7, 50}) {
        for (int length : {2, 3, 5, 40, 200}) {
            CLedTrack leds;
            for (int i = 0; i < 360; ++i) leds.steps.push_back(static_cast<std::uint8_t>((i / 3) % 2 ? 1 : (i / 5) % 2 ? 2 : 0));
            const std::vector<std::uint8_t> before = leds.steps;
            CMotionTrack motion = holding(kStanding.values(), 360 * kMsPerStep / 80);
            MusicDanceInput in;
            in.beats = &grid;
            in.startStep = startStep;
            in.endStep = startStep + length;
            in.settings = {Energy::High, 7, true, false};
            danceToMusic(motion, leds, in);
            const std::int64_t first = (std::int64_t{startStep} * kMsPerStep * 12 + 999) / 1000;
            const std::int64_t end = (std::int64_t{in.endStep} * kMsPerStep * 12 + 999) / 1000;
            for (std::int64_t i = 0; i < 360; ++i) {
                if (i < first || i >= end) {
                    ASSERT_EQ(leds.steps[static_cast<std::size_t>(i)], before[static_cast<std::size_t>(i)]) << i;
                }
            }
            for (const check::Problem& p : check::checkPerformance(CMotionTrack{}, leds))
                EXPECT_NE(p.kind, check::ProblemKind::ShortFlash)
                    << "steps " << startStep << ".." << in.endStep << ": " << check::describe(p);
        }
    }
}

// A range whose dance cannot fit the motion file (reduction bridges at most
// 64 time steps a keyframe) is refused before anything changes, with the
// longest range that fits; a range of that length is danced and fits.
TEST(MusicDance, ARangeTooLongForTheFileIsRefusedAndTheLongestThatFitsIsDanced) {
    const int twoHours = kMaxDanceSteps;
    const beats::BeatGrid grid = gridOf(120, 0, twoHours * kMsPerStep);
    CMotionTrack motion = holding(kStanding.values(), twoHours);
    const test::KeyframeRows before = test::rowsOf(motion);
    CLedTrack leds;
    leds.steps.assign(static_cast<std::size_t>(twoHours) * kMsPerStep * 12 / 1000, 1);
    const std::vector<std::uint8_t> ledsBefore = leds.steps;
    MusicDanceInput in;
    in.beats = &grid;  // a MIDI song: no samples
    in.endStep = twoHours;
    in.settings = {Energy::High, 1, true, false};
    const MusicDanceResult refused = danceToMusic(motion, leds, in);
    ASSERT_TRUE(refused.tooLongBeyond.has_value());
    EXPECT_EQ(danceRangeLimit(motion, 0, twoHours), refused.tooLongBeyond);
    EXPECT_EQ(test::rowsOf(motion), before);
    EXPECT_EQ(leds.steps, ledsBefore);
    EXPECT_TRUE(refused.steps.empty());

    const int longest = *refused.tooLongBeyond;
    EXPECT_GT(longest, 10 * 60 * 1000 / kMsPerStep);  // ten minutes at least
    CMotionTrack fits = holding(kStanding.values(), longest);
    EXPECT_FALSE(danceRangeLimit(fits, 0, longest).has_value());
    in.endStep = longest;
    const MusicDanceResult danced = danceToMusic(fits, leds, in);
    EXPECT_FALSE(danced.tooLongBeyond.has_value());
    EXPECT_FALSE(danced.steps.empty());
    EXPECT_TRUE(danced.fit.fits);
    EXPECT_THAT(problemsOf(fits), testing::IsEmpty());
}

// Check stays clean from 60 to 190 BPM at every energy, with eyes and mouth,
// every posture and body choice, over a few seeds (the benchmark sweeps more).
TEST(MusicDance, CheckIsCleanAtEveryTempoEnergyAndChoice) {
    const std::vector<std::uint8_t> samples = songSamples(30000, 4000);
    const CWaveTrack wave{samples.data(), static_cast<int>(samples.size())};
    for (double bpm : {60.0, 87.0, 118.0, 150.0, 190.0})
        for (Energy energy : {Energy::Low, Energy::Medium, Energy::High})
            for (std::uint32_t seed : {1u, 6u}) {
                const beats::BeatGrid grid = gridOf(bpm, 25, 30000);
                CMotionTrack motion = holding(seed % 2 ? kStanding.values() : kSeated.values(), 30000 / kMsPerStep);
                CLedTrack leds;
                leds.steps.assign(360, 0);
                MusicDanceInput in;
                in.beats = &grid;
                in.wave = &wave;
                in.startStep = 20;
                in.endStep = 340;
                in.settings = {energy, seed, true, true, seed == 6, seed == 6 ? BodyPart::Legs : BodyPart::Whole};
                const MusicDanceResult r = danceToMusic(motion, leds, in);
                SCOPED_TRACE(std::to_string(bpm) + " BPM, energy " + std::to_string(static_cast<int>(energy)));
                EXPECT_TRUE(r.fit.fits);
                EXPECT_THAT(problemsOf(motion), testing::IsEmpty());
                for (const check::Problem& p : check::checkPerformance(CMotionTrack{}, leds))
                    EXPECT_NE(p.kind, check::ProblemKind::ShortFlash) << check::describe(p);
            }
}

// A tempo that speeds up from 90 to 150 BPM: the dance follows the beats as
// they come, and its accents stay on them.
TEST(MusicDance, AChangingTempoIsFollowed) {
    beats::BeatGrid grid;
    grid.source = beats::BeatSource::Midi;
    grid.bpm = 120;
    double ms = 0;
    for (int i = 0; ms < 60000; ++i) {
        grid.beatsMs.push_back(static_cast<int>(std::lround(ms)));
        ms += 60000.0 / (90 + 60 * ms / 60000);
    }
    CMotionTrack motion = holding(kStanding.values(), 60000 / kMsPerStep);
    CLedTrack leds;
    MusicDanceInput in;
    in.beats = &grid;
    in.endStep = 60000 / kMsPerStep;
    in.settings = {Energy::High, 2, false, false};
    danceToMusic(motion, leds, in);
    const BeatAlign score = beatAlignOf(motion, grid.beatsMs);
    EXPECT_GE(score.beatAlign, 0.5);
    EXPECT_GE(score.beatAlign, score.chance + 0.2);
    EXPECT_THAT(problemsOf(motion), testing::IsEmpty());
}

// Whatever joints dance, nothing outside the range moves and the range's end
// keeps the pose that follows.
TEST(MusicDance, EveryBodyChoiceLeavesTheOutsideAlone) {
    test::KeyframeRows rows;
    for (int s = 0; s <= 400; ++s) {
        std::vector<std::int32_t> row{s == 0 ? 0 : kTicksPerStep};
        const Frame pose = kStanding.head(std::sin(s / 7.0) * 15).tail(10, std::cos(s / 5.0) * 20).values();
        row.insert(row.end(), pose.begin(), pose.end());
        rows.push_back(row);
    }
    const beats::BeatGrid grid = gridOf(132, 0, 400 * kMsPerStep);
    for (BodyPart body : {BodyPart::Whole, BodyPart::HeadTail, BodyPart::Legs}) {
        CMotionTrack motion = test::makeTrack(MOTION_FULL_BODY, rows);
        const CMotionTrack before = motion;
        CLedTrack leds;
        MusicDanceInput in;
        in.beats = &grid;
        in.startStep = 50;
        in.endStep = 330;
        in.settings = {Energy::Medium, 4, false, false, false, body};
        danceToMusic(motion, leds, in);
        for (int s = 0; s <= 400; ++s) {
            if (s > in.startStep && s < in.endStep) continue;
            for (int c = 0; c < kChannelCount; ++c)
                ASSERT_EQ(motion.valueAtStep(s, c), before.valueAtStep(s, c)) << "step " << s << " channel " << c;
        }
        EXPECT_THAT(problemsOf(motion), testing::IsEmpty());
    }
}

// The jaw between accents goes straight from one accent's value to the next;
// the accents keep theirs.
TEST(MusicDance, ALineBetweenAccentsKeepsTheAccentsAndTurnsOnlyThere) {
    test::KeyframeRows rows;
    for (int s = 0; s <= 20; ++s) {
        std::vector<std::int32_t> row(19, 0);
        row[0] = s == 0 ? 0 : kTicksPerStep;
        row[1 + Mouth] = (s % 3) * -100000;  // a jaw chattering on every step
        rows.push_back(row);
    }
    CMotionTrack motion = test::makeTrack(MOTION_FULL_BODY, rows);
    lineBetweenAccents(motion, Mouth, {2, 8, 12});
    std::vector<std::int32_t> jaw;
    for (int s = 0; s <= 20; ++s) jaw.push_back(motion.valueAtStep(s, Mouth));
    EXPECT_THAT(jaw, testing::ElementsAre(0, -100000,                                                   // before the first accent
                                          -200000, -200000, -200000, -200000, -200000, -200000,         // 2 .. 7
                                          -200000, -150000, -100000, -50000, 0,                         // 8 .. 12
                                          -100000, -200000, 0, -100000, -200000, 0, -100000, -200000)); // after the last
}

// With the mouth on, the dance still turns on the beat, and the jaw still
// opens wider where the song is loud.
TEST(MusicDance, TheMouthFollowsTheSoundOnTheBeat) {
    const std::vector<std::uint8_t> samples = songSamples(48000, 8000);
    const CWaveTrack wave{samples.data(), static_cast<int>(samples.size())};
    const beats::BeatGrid grid = gridOf(120, 0, 48000);
    CMotionTrack motion = holding(kStanding.values(), 48000 / kMsPerStep);
    CLedTrack leds;
    MusicDanceInput in;
    in.beats = &grid;
    in.wave = &wave;
    in.endStep = 48000 / kMsPerStep;
    in.settings = {Energy::High, 5, false, true};
    danceToMusic(motion, leds, in);
    const BeatAlign score = beatAlignOf(motion, grid.beatsMs);
    EXPECT_GE(score.beatAlign, 0.5);
    EXPECT_GE(score.beatAlign, score.chance + 0.2);
    double loud = 0, quiet = 0;
    for (int s = 0; s < 48000 / kMsPerStep; ++s)
        (((s * kMsPerStep) / 8000) % 2 ? loud : quiet) -= degreesFromValue(motion.valueAtStep(s, Mouth));
    EXPECT_GT(loud, 2 * quiet);
    EXPECT_THAT(problemsOf(motion), testing::IsEmpty());
}
