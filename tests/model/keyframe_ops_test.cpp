#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <random>

#include "model/keyframe_ops.h"
#include "support/track_builder.h"

namespace rova {
namespace {

using test::KeyframeRows;
using test::makeTrack;
using test::rowsOf;

// A head track (4 channels) whose keyframes are 5 ticks apart and whose
// channel c holds (c + 1) * 100 * t at time t.
CMotionTrack ramp(int keyframes) {
    KeyframeRows rows;
    for (int k = 0; k < keyframes; ++k) {
        std::vector<std::int32_t> row{k == 0 ? 0 : 5};
        for (int c = 0; c < 4; ++c) row.push_back((c + 1) * 100 * 5 * k);
        rows.push_back(row);
    }
    return makeTrack(MOTION_HEAD, rows);
}

std::map<std::int64_t, std::vector<std::int32_t>> valuesByTime(const CMotionTrack& track) {
    std::map<std::int64_t, std::vector<std::int32_t>> m;
    for (int k = 0; k < track.keyframeCount(); ++k) {
        std::vector<std::int32_t> v;
        for (int c = 0; c < track.channelCount(); ++c) v.push_back(track.value(k, c));
        m[track.keyframeTime(k)] = v;
    }
    return m;
}

TEST(Align, RoundsToFiveTickStepsCarryingTheRemainders) {
    CMotionTrack track = makeTrack(MOTION_TAIL, {{0, 1, 1}, {7, 2, 2}, {8, 3, 3}, {3, 4, 4}, {5, 5, 5}});
    EXPECT_EQ(align(track), 3);
    EXPECT_EQ(rowsOf(track), (KeyframeRows{{0, 1, 1}, {5, 2, 2}, {10, 3, 3}, {5, 4, 4}, {5, 5, 5}}));
    EXPECT_EQ(track.totalTicks(), 25);
    EXPECT_FALSE(track.isModified());
    EXPECT_EQ(align(track), 0);
}

TEST(Align, NeverPushesTheTotalPastTheIntRange) {
    // Two 1-tick keyframes grow to 5 each; the last is cut to what still fits.
    CMotionTrack track = makeTrack(MOTION_TAIL, {{0, 0, 0}, {1, 0, 0}, {1, 0, 0}, {2147483640, 0, 0}});
    EXPECT_EQ(align(track), 3);
    EXPECT_EQ(track.duration(3), 2147483635);
    EXPECT_EQ(track.totalTicks(), 2147483645);
}

TEST(Reduce, StraightRampKeepsTheSelectionEnds) {
    CMotionTrack track = ramp(13);  // times 0 .. 60
    ASSERT_TRUE(reduce(track, 2, 6));  // ticks 10 .. 40
    std::vector<std::int64_t> times;
    for (int k = 0; k < track.keyframeCount(); ++k) times.push_back(track.keyframeTime(k));
    EXPECT_EQ(times, (std::vector<std::int64_t>{0, 5, 10, 15, 40, 45, 50, 55, 60}));
    EXPECT_EQ(track.duration(4), 25);
    EXPECT_EQ(track.totalTicks(), 60);
    EXPECT_TRUE(track.isModified());
}

TEST(Reduce, ToleranceIsTenMicroradiansInEveryChannel) {
    for (const auto& [deviation, removed] : {std::pair{10, true}, {-10, true}, {11, false}, {-11, false}}) {
        // Keyframe 2 sits between 0 and 1000 at a third of the way in column 1.
        CMotionTrack track = makeTrack(
            MOTION_TAIL, {{0, 0, 0}, {5, 0, 0}, {5, 10, 333 + deviation}, {10, 30, 1000}, {5, 30, 1000}});
        EXPECT_EQ(reduce(track, 0, 7), removed) << deviation;
        EXPECT_EQ(track.keyframeCount(), removed ? 4 : 5) << deviation;
        EXPECT_EQ(track.isModified(), removed) << deviation;
    }
}

TEST(Reduce, JudgesEveryCandidateAgainstTheOriginalNeighbours) {
    // Keyframe 3 is within 10 of the line through keyframes 2 and 4 as they
    // were, though not of the line from keyframe 1 once 2 has gone.
    CMotionTrack track = makeTrack(MOTION_TAIL, {{0, 0, 0}, {5, 0, 0}, {5, 10, 0}, {5, 20, 0}, {5, 10, 0}});
    ASSERT_TRUE(reduce(track, 0, 6));
    EXPECT_EQ(rowsOf(track), (KeyframeRows{{0, 0, 0}, {5, 0, 0}, {15, 10, 0}}));
}

TEST(Reduce, RefusesWithoutChange) {
    CMotionTrack none;
    EXPECT_FALSE(reduce(none, 0, 10));
    CMotionTrack track = makeTrack(MOTION_TAIL, {{0, 0, 0}, {5, 500, 0}, {5, 0, 0}, {5, 500, 0}});
    const KeyframeRows before = rowsOf(track);
    EXPECT_FALSE(reduce(track, 0, 4));
    EXPECT_EQ(rowsOf(track), before);
    EXPECT_FALSE(track.isModified());
}

TEST(Reduce, RandomTracksKeepTimesValuesAndTotal) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 200; ++round) {
        KeyframeRows rows{{0, 0, 0}};
        const int count = 2 + static_cast<int>(rng() % 30);
        for (int k = 1; k < count; ++k) {
            const std::int32_t d = 5 * (1 + static_cast<std::int32_t>(rng() % 4));
            const std::int32_t noise = static_cast<std::int32_t>(rng() % 31) - 15;
            rows.push_back({d, 0, 1000 * k + noise});
        }
        CMotionTrack track = makeTrack(MOTION_TAIL, rows);
        const auto before = valuesByTime(track);
        const int total = track.totalTicks();
        const int start = static_cast<int>(rng() % 10), length = static_cast<int>(rng() % 40);
        const bool changed = reduce(track, start, length);
        EXPECT_EQ(track.totalTicks(), total);
        EXPECT_EQ(changed, track.keyframeCount() < count);
        for (const auto& [time, values] : valuesByTime(track)) {
            ASSERT_TRUE(before.count(time)) << "round " << round << " time " << time;
            EXPECT_EQ(before.at(time), values);
        }
        EXPECT_EQ(track.keyframeTime(track.keyframeCount() - 1), total);
    }
}

TEST(Expand, SplitsAlongTheLineFromThePreviousKeyframe) {
    CMotionTrack track = makeTrack(MOTION_TAIL, {{0, 0, 1000}, {20, 400, 0}});
    ASSERT_TRUE(expand(track, 0, 4));
    EXPECT_EQ(rowsOf(track),
              (KeyframeRows{{0, 0, 1000}, {5, 100, 750}, {5, 200, 500}, {5, 300, 250}, {5, 400, 0}}));
    EXPECT_TRUE(track.isModified());
    EXPECT_EQ(track.totalTicks(), 20);
}

TEST(Expand, OnlyKeyframesWhollyInsideTheSelection) {
    CMotionTrack track = makeTrack(MOTION_TAIL, {{0, 0, 0}, {10, 10, 0}, {10, 20, 0}, {10, 30, 0}});
    ASSERT_TRUE(expand(track, 2, 2));  // ticks 10 .. 20: only keyframe 2
    EXPECT_EQ(rowsOf(track), (KeyframeRows{{0, 0, 0}, {10, 10, 0}, {5, 15, 0}, {5, 20, 0}, {10, 30, 0}}));
}

TEST(Expand, ZeroDurationKeyframesDisappear) {
    CMotionTrack track = makeTrack(MOTION_TAIL, {{0, 0, 0}, {15, 15, 0}, {0, 99, 0}, {5, 30, 0}});
    ASSERT_TRUE(expand(track, 0, 3));
    EXPECT_EQ(rowsOf(track), (KeyframeRows{{0, 0, 0}, {5, 5, 0}, {5, 10, 0}, {5, 15, 0}, {5, 30, 0}}));

    // The count decides: one keyframe gained and one lost is nothing to expand.
    const KeyframeRows even{{0, 0, 0}, {10, 10, 0}, {0, 99, 0}, {5, 30, 0}};
    track = makeTrack(MOTION_TAIL, even);
    EXPECT_FALSE(expand(track, 0, 3));
    EXPECT_EQ(rowsOf(track), even);
}

TEST(Expand, RefusesWithoutChange) {
    CMotionTrack none;
    EXPECT_FALSE(expand(none, 0, 10));
    const KeyframeRows fives{{0, 0, 0}, {5, 1, 1}, {5, 2, 2}};
    CMotionTrack track = makeTrack(MOTION_TAIL, fives);
    EXPECT_FALSE(expand(track, 0, 10));
    EXPECT_EQ(rowsOf(track), fives);
    EXPECT_FALSE(track.isModified());

    // A crafted duration that would need billions of keyframes.
    const KeyframeRows huge{{0, 0, 0}, {2000000000, 1, 1}};
    track = makeTrack(MOTION_TAIL, huge);
    EXPECT_FALSE(expand(track, 0, 400000000));
    EXPECT_EQ(rowsOf(track), huge);
    EXPECT_FALSE(track.isModified());
}

// Random aligned tracks zigzagging in every channel, with keyframe 1 at tick 5.
CMotionTrack randomZigzag(std::mt19937& rng) {
    KeyframeRows rows{{0, 0, 0, 0, 0}, {5, 100000, -100000, 100000, -100000}};
    const int count = 3 + static_cast<int>(rng() % 20);
    for (int k = 2; k < count; ++k) {
        const std::int32_t d = 5 * (1 + static_cast<std::int32_t>(rng() % 12));
        const std::int32_t sign = k % 2 ? 1 : -1;
        std::vector<std::int32_t> row{d};
        for (int c = 0; c < 4; ++c) row.push_back(sign * (c % 2 ? -1 : 1) * (100000 + static_cast<std::int32_t>(rng() % 50000)));
        rows.push_back(row);
    }
    return makeTrack(MOTION_HEAD, rows);
}

TEST(Expand, RandomTracksKeepTotalAndEndOnTheOriginals) {
    std::mt19937 rng(99);
    for (int round = 0; round < 200; ++round) {
        CMotionTrack track = randomZigzag(rng);
        const CMotionTrack original = track;
        const int steps = original.totalTicks() / 5;
        ASSERT_EQ(expand(track, 0, steps), original.totalTicks() / 5 != original.keyframeCount() - 1);
        EXPECT_EQ(track.totalTicks(), original.totalTicks());
        EXPECT_EQ(track.keyframeCount(), steps + 1);
        // Every original keyframe is still there at its own time.
        const auto after = valuesByTime(track);
        for (const auto& [time, values] : valuesByTime(original)) EXPECT_EQ(after.at(time), values) << time;

        // Reducing the expansion gives the original keyframes back.
        reduce(track, 0, steps);
        EXPECT_EQ(rowsOf(track), rowsOf(original)) << "round " << round;
    }
}

TEST(Smooth, PutsTheInnerKeyframesOnTheLineBetweenTheEnds) {
    CMotionTrack track = makeTrack(MOTION_TAIL, {{0, 7, 0}, {5, 100, 1}, {5, 900, 2}, {10, -50, 3}, {5, 400, 4}, {5, 0, 5}});
    smoothBetweenEnds(track, 0, 1, 5);  // ends: keyframes 1 (tick 5) and 4 (tick 25)
    EXPECT_EQ(rowsOf(track), (KeyframeRows{{0, 7, 0}, {5, 100, 1}, {5, 175, 2}, {10, 325, 3}, {5, 400, 4}, {5, 0, 5}}));
    EXPECT_TRUE(track.isModified());
}

TEST(Smooth, NeedsTwoEndsInsideTheSelection) {
    const KeyframeRows rows{{0, 7, 0}, {5, 100, 1}, {10, 900, 2}, {5, -50, 3}};
    for (const auto& [start, length] : {std::pair{1, 1}, {1, 2}, {4, 1}, {9, 3}, {0, 0}}) {
        CMotionTrack track = makeTrack(MOTION_TAIL, rows);
        smoothBetweenEnds(track, 0, start, length);
        EXPECT_EQ(rowsOf(track), rows) << start << "+" << length;
        EXPECT_FALSE(track.isModified());
    }
    CMotionTrack track = makeTrack(MOTION_TAIL, rows);
    smoothBetweenEnds(track, 2, 0, 10);  // no such column
    EXPECT_EQ(rowsOf(track), rows);
}

TEST(Smooth, RandomSelectionsLeaveTheEndsAlone) {
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        CMotionTrack track = randomZigzag(rng);
        const CMotionTrack original = track;
        const int start = static_cast<int>(rng() % 20), length = static_cast<int>(rng() % 60);
        const int column = static_cast<int>(rng() % 4);
        smoothBetweenEnds(track, column, start, length);
        int first = -1, last = -1;
        for (int k = 0; k < track.keyframeCount(); ++k) {
            const std::int64_t t = track.keyframeTime(k);
            if (t >= 5 * (start + length)) break;
            if (t >= 5 * start && first < 0) first = k;
            last = k;
        }
        for (int k = 0; k < track.keyframeCount(); ++k) {
            for (int c = 0; c < 4; ++c) {
                const bool inner = c == column && first >= 0 && k > first && k < last;
                if (!inner) {
                    EXPECT_EQ(track.value(k, c), original.value(k, c));
                }
            }
        }
    }
}

TEST(RebuildToAudio, SizesTheTrackToTheSound) {
    CMotionTrack track = makeTrack(MOTION_TAIL, {{0, 1, 2}, {5, 9, 9}, {40, 3, 4}});
    rebuildToAudio(track, 8000);
    EXPECT_EQ(track.totalTicks(), 65);
    ASSERT_EQ(track.keyframeCount(), 14);
    EXPECT_TRUE(track.isModified());
    for (int k = 0; k < 14; ++k) {
        EXPECT_EQ(track.duration(k), k == 0 ? 0 : 5);
        EXPECT_EQ(track.value(k, 0), k == 13 ? 3 : 1);
        EXPECT_EQ(track.value(k, 1), k == 13 ? 4 : 2);
    }

    rebuildToAudio(track, 0);  // no sound: one keyframe, holding the last values
    EXPECT_EQ(rowsOf(track), (KeyframeRows{{0, 3, 4}}));
    rebuildToAudio(track, INT_MAX);  // no overflow in the length
    EXPECT_EQ(track.totalTicks(), 16777220);
}

}  // namespace
}  // namespace rova
