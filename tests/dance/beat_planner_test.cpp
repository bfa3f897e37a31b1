// The dance on the beat, stage by stage: the seeded generator, the warped
// phrases, the accents on the beats, phrase structure, loudness, the score's
// terms and weights, and the choice of posture and joints.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "check/check.h"
#include "dance/beat_align.h"
#include "dance/beat_frame.h"
#include "dance/dance_random.h"
#include "dance/dance_steps.h"
#include "dance/music_dance.h"

using namespace rova;
using namespace rova::dance;

namespace {

beats::BeatGrid gridOf(double bpm, int lengthMs) {
    beats::BeatGrid g;
    g.source = beats::BeatSource::Manual;
    g.bpm = bpm;
    g.downbeatsKnown = true;
    g.beatsPerBar = 4;
    for (int i = 0;; ++i) {
        const int ms = static_cast<int>(std::lround(i * 60000.0 / bpm));
        if (ms > lengthMs) break;
        g.beatsMs.push_back(ms);
        if (i % 4 == 0) g.downbeatsMs.push_back(ms);
    }
    return g;
}

DanceRequest requestFor(const beats::BeatGrid& grid, int endStep, std::uint32_t seed, Energy energy = Energy::Medium) {
    DanceRequest r;
    r.beats = &grid;
    r.loudness.assign(grid.beatsMs.size(), 0.5);
    r.endStep = endStep;
    r.startPose = kStanding.values();
    r.seed = seed;
    r.energy = energy;
    return r;
}

CMotionTrack motionOf(const std::vector<Frame>& poses) {
    std::array<int, kChannelCount> locators{};
    for (int c = 0; c < kChannelCount; ++c) locators[static_cast<std::size_t>(c)] = c;
    std::vector<std::int32_t> block;
    for (std::size_t i = 0; i < poses.size(); ++i) {
        block.insert(block.end(), {i == 0 ? 0 : kTicksPerStep, 0, 0, 0});
        block.insert(block.end(), poses[i].begin(), poses[i].end());
    }
    CMotionTrack m;
    m.assign(MOTION_FULL_BODY, kChannelCount, locators, std::move(block), static_cast<int>(poses.size()));
    m.setFirstChannel(0);
    return m;
}

}  // namespace

// A Vary number must give the same dance on every machine and library.
TEST(DanceRandom, TheFirstOutputsArePinned) {
    Random r(1);
    EXPECT_EQ(r.next(), 0xE99FF867DBF682C9ull);
    EXPECT_EQ(r.next(), 0x382FF84CB27281E9ull);
    EXPECT_EQ(r.next(), 0x6D1DB36CCBA982D2ull);
    EXPECT_DOUBLE_EQ(Random(0).uniform(), 0.43152799704850997);
}

// Every phrase of every step, warped onto its fewest steps, stays within the
// joints' speeds and runs from its first frame to its last.
TEST(StepCatalog, WarpedPhrasesKeepTheSpeedLimitsAndTheirEnds) {
    for (const StepTraits& s : musicSteps()) {
        ASSERT_FALSE(s.segments.empty());
        // (a final hold is left out: the last phrase arrives where it begins)
        EXPECT_EQ(stepFrame(s.entry, s.segments.back().to), stepFrame(s.entry, s.frames - 1))
            << danceSteps()[static_cast<std::size_t>(s.entry)].name;
        for (const StepSegment& seg : s.segments) {
            for (int steps : {seg.minSteps, seg.minSteps + 3}) {
                const std::vector<Frame> warped = warpSegment(s.entry, seg, steps);
                ASSERT_EQ(warped.size(), static_cast<std::size_t>(steps));
                EXPECT_EQ(warped.back(), stepFrame(s.entry, seg.to));
                Frame prev = stepFrame(s.entry, seg.from);
                for (const Frame& f : warped) {
                    for (int c = 0; c < kChannelCount; ++c)
                        ASSERT_LE(std::abs(static_cast<double>(f[static_cast<std::size_t>(c)]) - prev[static_cast<std::size_t>(c)]),
                                  kMoveSpeedShare * maxMovePerStep(c) + 1)
                            << danceSteps()[static_cast<std::size_t>(s.entry)].name << " channel " << c;
                    prev = f;
                }
            }
        }
    }
}

// The motion turns or rests on the beats: the Beat Align Score clears 0.5 and
// chance + 0.2, and 80 % of the kinematic beats lie within 80 ms of a beat,
// from 60 to 190 BPM at every energy.
TEST(BeatPlanner, KinematicBeatsLandOnTheMusicsBeats) {
    for (double bpm : {60.0, 97.0, 128.0, 155.0, 190.0})
        for (Energy energy : {Energy::Low, Energy::Medium, Energy::High}) {
            SCOPED_TRACE(std::to_string(bpm) + " BPM, energy " + std::to_string(static_cast<int>(energy)));
            const beats::BeatGrid grid = gridOf(bpm, 40000);
            const DancePlan plan = planDance(requestFor(grid, 40000 / kMsPerStep, 3, energy));
            const BeatAlign score = beatAlignOf(motionOf(plan.poses), grid.beatsMs);
            EXPECT_GE(score.kinematicBeats, 10);
            EXPECT_GE(score.beatAlign, 0.5);
            EXPECT_GE(score.beatAlign, score.chance + 0.2);
            EXPECT_GE(score.withinMs80, 0.8);
        }
}

// Steps start on accents, and every accent is a beat (but the range's first step).
TEST(BeatPlanner, AccentsAreBeatsAndStepsStartOnThem) {
    const beats::BeatGrid grid = gridOf(128, 60000);
    const DanceRequest r = requestFor(grid, 60000 / kMsPerStep, 8, Energy::High);
    const BeatFrame frame = beatFrameOf(r, 1);
    ASSERT_GT(frame.accents.size(), 50u);
    EXPECT_EQ(frame.accents.front().beat, -1);
    for (std::size_t i = 1; i < frame.accents.size(); ++i) {
        const Accent& a = frame.accents[i];
        EXPECT_EQ(a.step, frame.beats[static_cast<std::size_t>(a.beat)].step);
        EXPECT_GE(a.step - frame.accents[i - 1].step, kMinAccentSteps);
    }
    std::set<int> accentSteps;
    for (const Accent& a : frame.accents) accentSteps.insert(a.step);
    for (const PlacedStep& p : planDance(r).steps) EXPECT_TRUE(accentSteps.count(p.startStep)) << p.startStep;
}

// Phrases start on every fourth bar line even where a bar is short: one bar
// of three in a song of fours (a change of metre, or a beat the tracker lost
// at a change of tempo) does not carry them off the bars after it.
TEST(BeatPlanner, PhrasesStartOnBarLinesAfterAShortBar) {
    beats::BeatGrid grid = gridOf(120, 60000);
    const int shortBar = 5;  // its fourth beat is gone
    const int gone = grid.beatsMs[static_cast<std::size_t>(4 * shortBar + 3)];
    grid.beatsMs.erase(std::find(grid.beatsMs.begin(), grid.beatsMs.end(), gone));
    for (int& ms : grid.beatsMs)
        if (ms > gone) ms -= 500;
    grid.downbeatsMs.clear();
    const std::size_t after = 4 * shortBar + 3;  // the first bar after the short one
    for (std::size_t i = 0; i < grid.beatsMs.size(); ++i)
        if ((i < after ? i : i - after) % 4 == 0) grid.downbeatsMs.push_back(grid.beatsMs[i]);
    const BeatFrame frame = beatFrameOf(requestFor(grid, 60000 / kMsPerStep, 3), 1);
    ASSERT_GE(frame.phraseStarts.size(), 5u);
    std::vector<int> bars;
    for (std::size_t i = 0; i < frame.beats.size(); ++i)
        if (frame.beats[i].down) bars.push_back(static_cast<int>(i));
    for (std::size_t k = 0; k < frame.phraseStarts.size(); ++k) EXPECT_EQ(frame.phraseStarts[k], bars[4 * k]) << k;
    // The phrase after the short bar holds 15 beats; the accents start again on its first.
    EXPECT_EQ(frame.phraseStarts[2] - frame.phraseStarts[1], 15);
    EXPECT_TRUE(std::any_of(frame.accents.begin(), frame.accents.end(), [&](const Accent& a) { return a.beat == frame.phraseStarts[2]; }));
}

// Quiet phrases get a quarter of the accents of loud ones, and calmer steps.
TEST(BeatPlanner, TheEnergyFollowsTheLoudnessPhraseByPhrase) {
    const beats::BeatGrid grid = gridOf(120, 256000);
    DanceRequest r = requestFor(grid, 256000 / kMsPerStep, 5, Energy::Medium);
    // Two phrases of 16 beats (16 s) quiet, two loud, and so on.
    auto loudAt = [](int beat) { return (beat / 32) % 2 == 1; };
    for (std::size_t i = 0; i < grid.beatsMs.size(); ++i) r.loudness[i] = loudAt(static_cast<int>(i)) ? 0.9 : 0.1;
    const BeatFrame frame = beatFrameOf(r, 1);
    int quiet = 0, loud = 0;
    for (const Accent& a : frame.accents)
        if (a.beat >= 0) ++(loudAt(a.beat) ? loud : quiet);
    EXPECT_GE(loud, 3 * quiet);
    // Steps wholly within a loud or a quiet stretch.
    double quietLively = 0, loudLively = 0;
    int nq = 0, nl = 0;
    const double beatSteps = 500.0 / kMsPerStep;
    for (std::uint32_t seed = 0; seed < 6; ++seed) {
        r.seed = seed;
        for (const PlacedStep& p : planDance(r).steps) {
            const bool first = loudAt(static_cast<int>(p.startStep / beatSteps));
            if (first != loudAt(static_cast<int>((p.startStep + p.frames - 1) / beatSteps))) continue;
            for (const StepTraits& t : musicSteps())
                if (t.entry == p.entry) (first ? loudLively : quietLively) += t.liveliness;
            ++(first ? nl : nq);
        }
    }
    ASSERT_GT(nq, 0);
    ASSERT_GT(nl, 0);
    EXPECT_GT(loudLively / nl, quietLively / nq + 0.1);
}

// 4-bar phrases repeat: a later phrase opens with the steps of an earlier one.
TEST(BeatPlanner, PhrasesRepeatTheStepsOfEarlierPhrases) {
    const beats::BeatGrid grid = gridOf(128, 180000);
    int repeated = 0;
    for (std::uint32_t seed : {1u, 2u, 3u, 4u}) {
        const DancePlan plan = planDance(requestFor(grid, 180000 / kMsPerStep, seed, Energy::High));
        for (const PlacedStep& p : plan.steps) repeated += p.why.structure == 1.0;
    }
    EXPECT_GE(repeated, 4);
}

// The score of each choice is the weighted sum of its terms, all within
// 0..1; a weight moves the choice its way.
TEST(BeatPlanner, ChoicesAreExplainedByTheirTermsAndFollowTheWeights) {
    const beats::BeatGrid grid = gridOf(110, 120000);
    DanceRequest r = requestFor(grid, 120000 / kMsPerStep, 7, Energy::High);
    auto meanOf = [&](double ScoreTerms::*term) {
        double sum = 0;
        const DancePlan plan = planDance(r);
        for (const PlacedStep& p : plan.steps) {
            for (double v : {p.why.liveliness, p.why.freshness, p.why.downbeatSize, p.why.promptness, p.why.postureStay,
                             p.why.calm, p.why.structure, p.why.jitter, p.why.accentFit}) {
                EXPECT_GE(v, 0.0);
                EXPECT_LE(v, 1.0);
            }
            sum += p.why.*term;
        }
        return sum / static_cast<double>(std::max<std::size_t>(plan.steps.size(), 1));
    };
    const double matched = meanOf(&ScoreTerms::liveliness);
    r.weights.liveliness = 0;
    EXPECT_GT(matched, meanOf(&ScoreTerms::liveliness) + 0.05);
    r.weights = {};
    r.weights.calm = 20;  // lying down never pays
    r.weights.postureStay = 0;
    for (const PlacedStep& p : planDance(r).steps) EXPECT_EQ(p.why.calm, 1.0);
    ScoreTerms t;
    t.liveliness = 1;
    t.jitter = 1;
    EXPECT_DOUBLE_EQ(totalScore(t, ScoreWeights{}), ScoreWeights{}.liveliness + ScoreWeights{}.jitter);
}

// Keep posture: no step changes posture. Only the head and tail: the legs
// hold their pose. Only the legs: head, mouth and tail hold theirs.
TEST(BeatPlanner, PostureAndBodyPartChoicesHold) {
    const beats::BeatGrid grid = gridOf(120, 90000);
    for (std::uint32_t seed = 0; seed < 4; ++seed) {
        DanceRequest r = requestFor(grid, 90000 / kMsPerStep, seed, Energy::High);
        r.startPose = kSeated.values();
        r.keepPosture = true;
        for (const PlacedStep& p : planDance(r).steps) {
            for (const StepTraits& t : musicSteps()) {
                if (t.entry == p.entry) {
                    EXPECT_EQ(t.start, t.end);
                }
            }
        }
        for (BodyPart body : {BodyPart::HeadTail, BodyPart::Legs}) {
            r.keepPosture = false;
            r.body = body;
            const DancePlan plan = planDance(r);
            std::set<int> moved;
            for (const Frame& f : plan.poses)
                for (int c = 0; c < kChannelCount; ++c)
                    if (f[static_cast<std::size_t>(c)] != r.startPose[static_cast<std::size_t>(c)]) moved.insert(c);
            ASSERT_FALSE(moved.empty());
            for (int c : moved) EXPECT_EQ(c >= RFLegY && c <= LRPawY, body == BodyPart::Legs) << "channel " << c;
        }
    }
}

// Over a long song the dance draws on much of the library, in every posture.
TEST(BeatPlanner, ALongSongUsesMuchOfTheLibrary) {
    const beats::BeatGrid grid = gridOf(124, 600000);
    std::set<int> used;
    std::set<Posture> postures;
    const DancePlan plan = planDance(requestFor(grid, 600000 / kMsPerStep, 11, Energy::Medium));
    for (const PlacedStep& p : plan.steps) {
        used.insert(p.entry);
        for (const StepTraits& t : musicSteps())
            if (t.entry == p.entry) postures.insert(t.start);
    }
    EXPECT_GE(used.size(), musicSteps().size() * 2 / 5);
    EXPECT_EQ(postures.size(), 3u);
}
