// The Beat Align Score on motions made to measure: accents on the beats, half
// a beat off, held poses, steady moves; and the tool's report of it.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "dance/beat_align.h"
#include "dance_score_command.h"

using namespace rova;
using namespace rova::dance;

namespace {

constexpr double kPi = 3.141592653589793;

// A head nodding between two poses, at rest exactly at every beat of a steady
// tempo (a cosine whose half period is one beat), shifted by shiftMs.
std::vector<std::vector<std::int32_t>> noddingOn(double beatMs, double shiftMs, int steps) {
    std::vector<std::vector<std::int32_t>> poses;
    for (int s = 0; s <= steps; ++s) {
        const double t = s * kMsPerStep - shiftMs;
        poses.push_back({static_cast<std::int32_t>(std::lround(350000 * std::cos(kPi * t / beatMs))), 0, 0});
    }
    return poses;
}

std::vector<int> beatsEvery(double beatMs, int lengthMs) {
    std::vector<int> beats;
    for (int i = 0; i * beatMs <= lengthMs; ++i) beats.push_back(static_cast<int>(std::lround(i * beatMs)));
    return beats;
}

}  // namespace

// At 125 BPM the beats fall on time steps: every kinematic beat is on a beat.
// At 128 BPM they fall between steps, and the score is exactly the Gaussian of
// the distance from each beat to its nearest time step.
TEST(BeatAlign, AccentsOnTheBeatsScoreByTheirDistanceToTheBeat) {
    const BeatAlign exact = beatAlignOf(noddingOn(480, 0, 300), beatsEvery(480, 24000));
    EXPECT_EQ(exact.kinematicBeats, 49);  // every beat but the first and last, whose window leaves the motion
    EXPECT_DOUBLE_EQ(exact.beatAlign, 1.0);
    EXPECT_DOUBLE_EQ(exact.withinMs80, 1.0);

    const double beatMs = 60000.0 / 128;
    const std::vector<std::vector<std::int32_t>> poses = noddingOn(beatMs, 0, 300);
    const std::vector<int> kinematic = kinematicBeats(overallSpeed(poses));
    double expected = 0;
    int n = 0;
    for (int i = 1; i * beatMs < 300 * kMsPerStep - 2 * kMsPerStep; ++i) {
        const double beat = i * beatMs;
        const double nearest = std::round(beat / kMsPerStep) * kMsPerStep;
        ASSERT_LT(static_cast<std::size_t>(n), kinematic.size());
        // (a beat halfway between two steps may take either)
        EXPECT_EQ(std::abs(kinematic[static_cast<std::size_t>(n)] * kMsPerStep - beat), std::abs(nearest - beat))
            << "beat " << i;
        const double d = std::abs(nearest - std::round(beat));
        expected += std::exp(-d * d / (2 * kAlignSigmaMs * kAlignSigmaMs));
        ++n;
    }
    const BeatAlign between = beatAlignOf(poses, beatsEvery(beatMs, 24000));
    EXPECT_EQ(between.kinematicBeats, n);
    EXPECT_NEAR(between.beatAlign, expected / n, 1e-9);
    EXPECT_GT(between.beatAlign, 0.85);
    EXPECT_DOUBLE_EQ(between.withinMs80, 1.0);
}

// Half a beat off, the accents score near nothing; the chance level of the
// same motion sits between, near σ·√(2π) over the beat interval.
TEST(BeatAlign, AccentsHalfABeatOffScoreNearZeroAndChanceLiesBetween) {
    for (double bpm : {90.0, 125.0, 170.0}) {
        SCOPED_TRACE(bpm);
        const double beatMs = 60000.0 / bpm;
        const std::vector<int> beats = beatsEvery(beatMs, 30000);
        const BeatAlign on = beatAlignOf(noddingOn(beatMs, 0, 375), beats);
        const BeatAlign off = beatAlignOf(noddingOn(beatMs, beatMs / 2, 375), beats);
        EXPECT_GT(on.beatAlign, 0.85);
        EXPECT_LT(off.beatAlign, 0.05);
        EXPECT_LT(off.withinMs80, 0.01);
        const double gaussianShare = kAlignSigmaMs * std::sqrt(2 * kPi) / beatMs;
        EXPECT_NEAR(on.chance, gaussianShare, 0.08);
        EXPECT_NEAR(off.chance, on.chance, 0.08);
    }
}

// A steady move has no accent; a held pose is one accent, in its middle.
TEST(BeatAlign, SteadyMovesHaveNoKinematicBeatsAndAHoldCountsOnceInItsMiddle) {
    std::vector<std::vector<std::int32_t>> poses;
    for (int s = 0; s <= 100; ++s) poses.push_back({s * 1000, -s * 300});
    EXPECT_TRUE(kinematicBeats(overallSpeed(poses)).empty());
    // Moving, holding from step 40 to 46, moving again.
    poses.clear();
    for (int s = 0; s <= 100; ++s) poses.push_back({std::clamp(s, 0, 40) * 1000 + std::max(0, s - 46) * 1000});
    EXPECT_EQ(kinematicBeats(overallSpeed(poses)), std::vector<int>{43});
    const BeatAlign none = beatAlignOf(std::vector<std::vector<std::int32_t>>{}, {0, 500});
    EXPECT_EQ(none.kinematicBeats, 0);
    EXPECT_EQ(none.beatAlign, 0);
}

// The tool prints the four figures; the example's hand-made dance is on the
// beat well above chance.
TEST(BeatAlign, TheToolScoresTheExamplePerformance) {
    std::ostringstream out, err;
    EXPECT_EQ(tool::runDanceScore({std::string(ROVA_SOURCE_DIR) + "/examples/Bounce.MTN"}, out, err), 0);
    const std::string report = out.str();
    ASSERT_EQ(report.rfind("{\"beatAlign\": ", 0), 0u) << report;
    double beatAlign = 0, chance = 0, within = 0;
    int kinematic = 0;
    ASSERT_EQ(std::sscanf(report.c_str(), "{\"beatAlign\": %lf, \"chance\": %lf, \"kinematicBeats\": %d, \"withinMs80\": %lf}",
                          &beatAlign, &chance, &kinematic, &within),
              4)
        << report;
    EXPECT_GT(kinematic, 20);
    EXPECT_GT(beatAlign, chance + 0.15) << report;
    std::ostringstream none, noneErr;
    EXPECT_EQ(tool::runDanceScore({std::string(ROVA_SOURCE_DIR) + "/examples/Missing.MTN"}, none, noneErr), 1);
    std::ostringstream usage;
    EXPECT_EQ(tool::runDanceScore({}, none, usage), 2);
    EXPECT_EQ(usage.str(), "usage: rova-tool dance-score FILE\n");
}
