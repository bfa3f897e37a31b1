#include <gtest/gtest.h>

#include "model/motion_track.h"

using namespace rova;

namespace {

// A track of `channels` columns from keyframes given as {duration, v0, v1, ...}.
CMotionTrack makeTrack(MotionKind kind, const std::vector<std::vector<std::int32_t>>& keys) {
    const int n = channelCountOfKind(kind);
    std::vector<std::int32_t> block;
    for (const auto& k : keys) {
        block.push_back(k[0]);
        block.insert(block.end(), {7, 8, 9});
        for (int c = 0; c < n; ++c) block.push_back(c + 1 < static_cast<int>(k.size()) ? k[static_cast<std::size_t>(c) + 1] : 0);
    }
    CMotionTrack t;
    std::array<int, kChannelCount> loc{};
    loc.fill(-1);
    t.assign(kind, n, loc, std::move(block), static_cast<int>(keys.size()));
    t.setFirstChannel(firstChannelOfKind(kind));
    return t;
}

}  // namespace

TEST(MotionTrackInterpolation, ValuesBetweenAroundAndPastTheKeyframes) {
    struct Probe {
        int step, column;
        std::int32_t value;
    };
    const struct {
        const char* what;
        std::vector<std::vector<std::int32_t>> keys;
        int totalTicks;
        std::vector<Probe> probes;
    } cases[] = {
        {"linear between keyframes, no value past the end", {{0, 0, 100}, {10, 1000, 100}, {5, -1000, 0}}, 15,
         {{0, 0, 0}, {1, 0, 500}, {2, 0, 1000}, {3, 0, -1000}, {3, 1, 0}, {4, 0, kNoValue}, {-1, 0, kNoValue}}},
        // -1000 over 15 ticks at tick 5: -333.33 truncates to -333, not -334.
        {"falling values truncate toward zero", {{0, 0, 0}, {15, -1000, 1000}, {5, 0, 0}}, 20,
         {{1, 0, -333}, {1, 1, 333}}},
        {"the first keyframe's value holds before its time", {{15, 300, 0}, {5, 800, 0}}, 20,
         {{0, 0, 300}, {2, 0, 300}, {3, 0, 300}, {4, 0, 800}, {5, 0, kNoValue}}},
        // Keyframes 1 and 2 share tick 5: the earlier one answers at that time.
        {"zero-duration keyframes: the first qualifying answers", {{0, 0, 0}, {5, 100, 0}, {0, 900, 0}, {5, 1000, 0}},
         10, {{1, 0, 100}, {2, 0, 1000}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const CMotionTrack t = makeTrack(MOTION_TAIL, c.keys);
        EXPECT_EQ(t.totalTicks(), c.totalTicks);
        for (const Probe& p : c.probes)
            EXPECT_EQ(t.valueAtStep(p.step, p.column), p.value) << "step " << p.step << ", column " << p.column;
    }
}

TEST(MotionTrackInterpolation, LongSegmentWithLargeChangeIsExact) {
    // 170 degrees over 2000 ticks: the product overflows 32 bits without 64-bit arithmetic.
    const std::int32_t from = -1483529, to = 1483529;  // about -85 .. +85 degrees
    auto t = makeTrack(MOTION_TAIL, {{0, from, 0}, {2000, to, 0}, {5, 0, 0}});
    for (int s = 0; s <= 400; ++s) {
        const std::int64_t tick = 5 * s;
        const std::int64_t expected = from + (static_cast<std::int64_t>(to) - from) * tick / 2000;
        ASSERT_EQ(t.valueAtStep(s, 0), expected) << "step " << s;
    }
}

TEST(MotionTrackInterpolation, PoseInWholeDegrees) {
    auto t = makeTrack(MOTION_TAIL, {{0, -17452, 17453}, {5, -17453, 34906}});
    int pose[2] = {99, 99};
    ASSERT_TRUE(t.valuesAtStep(0, pose));
    EXPECT_EQ(pose[0], 0);
    EXPECT_EQ(pose[1], 1);
    ASSERT_TRUE(t.valuesAtStep(1, pose));
    EXPECT_EQ(pose[0], -1);
    EXPECT_EQ(pose[1], 2);
    EXPECT_FALSE(t.valuesAtStep(2, pose));
}

TEST(MotionTrackEditing, FirstAndLastKeyframeOnlyChangeByForce) {
    auto t = makeTrack(MOTION_TAIL, {{0, 1, 1}, {5, 2, 2}, {5, 3, 3}});
    t.setValue(0, 0, 50);
    t.setValue(2, 0, 50);
    EXPECT_EQ(t.value(0, 0), 1);
    EXPECT_EQ(t.value(2, 0), 3);
    EXPECT_FALSE(t.isModified());
    t.setValue(1, 1, 50);
    EXPECT_EQ(t.value(1, 1), 50);
    EXPECT_TRUE(t.isModified());
    t.setModified(false);
    t.setValueForced(0, 0, 60);
    EXPECT_EQ(t.value(0, 0), 60);
    EXPECT_TRUE(t.isModified());
}

TEST(MotionTrackEditing, SetValueAtStepNeverInserts) {
    auto t = makeTrack(MOTION_TAIL, {{0, 0, 0}, {10, 100, 0}, {10, 200, 0}, {5, 0, 0}});
    EXPECT_FALSE(t.setValueAtStep(1, 0, 555));  // between keyframes
    EXPECT_FALSE(t.setValueAtStep(9, 0, 555));  // past the end
    EXPECT_EQ(t.keyframeCount(), 4);
    EXPECT_FALSE(t.isModified());
    EXPECT_TRUE(t.setValueAtStep(2, 0, 555));
    EXPECT_EQ(t.value(1, 0), 555);
    // At the first keyframe the step is found but the value is protected.
    EXPECT_TRUE(t.setValueAtStep(0, 0, 777));
    EXPECT_EQ(t.value(0, 0), 0);

    bool pastEnd = true;
    EXPECT_TRUE(t.isKeyframeAtStep(4, pastEnd));
    EXPECT_FALSE(pastEnd);
    EXPECT_FALSE(t.isKeyframeAtStep(3, pastEnd));
    EXPECT_FALSE(pastEnd);
    EXPECT_TRUE(t.isKeyframeAtStep(5, pastEnd));
    EXPECT_FALSE(t.isKeyframeAtStep(6, pastEnd));
    EXPECT_TRUE(pastEnd);
}

TEST(MotionTrackEditing, SetValueInRangeIncludesStartExcludesEnd) {
    // Keyframes at ticks 0, 5, 10, 15, 20, 25.
    auto t = makeTrack(MOTION_TAIL, {{0}, {5}, {5}, {5}, {5}, {5}});
    EXPECT_TRUE(t.setValueInRange(0, 42, 1, 3));  // ticks 5 .. 19
    for (int k = 0; k < 6; ++k) EXPECT_EQ(t.value(k, 0), (k >= 1 && k <= 3) ? 42 : 0) << k;
    EXPECT_FALSE(t.setValueInRange(1, 42, 6, 4));
    EXPECT_FALSE(t.setValueInRange(1, 42, 2, 0));
    // A range covering only the protected ends still counts as touching keyframes.
    EXPECT_TRUE(t.setValueInRange(1, 42, 5, 1));
    EXPECT_EQ(t.value(5, 1), 0);
}

TEST(MotionTrackEditing, DurationChangesReachInterpolationAfterRecompute) {
    auto t = makeTrack(MOTION_TAIL, {{0, 0, 0}, {5, 100, 0}, {5, 200, 0}});
    EXPECT_EQ(t.valueAtStep(2, 0), 200);
    t.setDuration(1, 10);
    t.recomputeTotal();
    EXPECT_FALSE(t.isModified());
    EXPECT_EQ(t.totalTicks(), 15);
    EXPECT_EQ(t.valueAtStep(1, 0), 50);
    EXPECT_EQ(t.valueAtStep(2, 0), 100);
    EXPECT_EQ(t.valueAtStep(3, 0), 200);
}

TEST(MotionTrack, FileSizeLimitPerKind) {
    // Full body: (18 + 4) * 4 = 88 bytes a keyframe; 522 fit below 46000, 523 do not.
    auto full = makeTrack(MOTION_FULL_BODY, std::vector<std::vector<std::int32_t>>(522, {5}));
    EXPECT_EQ(full.fileSize(), 45942);
    EXPECT_TRUE(full.fitsInFile());
    full = makeTrack(MOTION_FULL_BODY, std::vector<std::vector<std::int32_t>>(523, {5}));
    EXPECT_FALSE(full.fitsInFile());
    auto tail = makeTrack(MOTION_TAIL, std::vector<std::vector<std::int32_t>>(1916, {5}));
    EXPECT_TRUE(tail.fitsInFile());
    tail = makeTrack(MOTION_TAIL, std::vector<std::vector<std::int32_t>>(1917, {5}));
    EXPECT_FALSE(tail.fitsInFile());
}

TEST(MotionKinds, FlagsAndChannels) {
    EXPECT_EQ(trackFlagsOfKind(MOTION_FULL_BODY), 0x70u);
    EXPECT_EQ(trackFlagsOfKind(MOTION_HEAD), 0x10u);
    EXPECT_EQ(trackFlagsOfKind(MOTION_LEGS), 0x20u);
    EXPECT_EQ(trackFlagsOfKind(MOTION_TAIL), 0x40u);
    EXPECT_EQ(trackFlagsOfKind(MOTION_EXTRA_TAIL), 0u);
    EXPECT_EQ(firstChannelOfKind(MOTION_LEGS), 4);
    EXPECT_EQ(firstChannelOfKind(MOTION_TAIL), 16);
    EXPECT_EQ(firstChannelOfKind(MOTION_NONE), -1);
}
