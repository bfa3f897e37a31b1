#include <gtest/gtest.h>

#include <vector>

#include "dance/dance_insert.h"

using namespace rova;

namespace {

// A full-body motion with keyframes at the given time steps (the first at 0),
// every value set to `fill`.
CMotionTrack motionWithKeyframesAt(const std::vector<int>& steps, std::int32_t fill = 7) {
    std::vector<std::int32_t> block;
    int previous = 0;
    for (int s : steps) {
        block.push_back((s - previous) * kTicksPerStep);
        block.insert(block.end(), {0, 0, 0});
        block.insert(block.end(), kChannelCount, fill);
        previous = s;
    }
    CMotionTrack t;
    std::array<int, kChannelCount> locators{};
    for (std::size_t c = 0; c < locators.size(); ++c) locators[c] = static_cast<int>(c);
    t.assign(MOTION_FULL_BODY, kChannelCount, locators, std::move(block), static_cast<int>(steps.size()));
    t.setFirstChannel(0);
    return t;
}

std::vector<int> everyStep(int from, int to) {
    std::vector<int> v;
    for (int s = from; s <= to; ++s) v.push_back(s);
    return v;
}

}  // namespace

TEST(DanceInsert, KeyframeAtEveryStepTakesTheStepWhole) {
    const DanceStep& jive = *danceStepForCommand(9036);  // RPawJive_REP, 21 frames
    auto motion = motionWithKeyframesAt(everyStep(0, 40));
    EXPECT_EQ(writeDanceStep(motion, jive, 10), 0);
    for (int f = 0; f < jive.frameCount; ++f)
        for (int c = 0; c < kChannelCount; ++c) ASSERT_EQ(motion.valueAtStep(10 + f, c), jive.frame(f)[c]);
    EXPECT_EQ(motion.valueAtStep(9, 0), 7);
    EXPECT_EQ(motion.valueAtStep(31, 0), 7);
    EXPECT_TRUE(motion.isModified());
}

TEST(DanceInsert, FirstKeyframeKeepsItsValuesWithoutAMiss) {
    const DanceStep& end = *danceStepForCommand(9037);  // 7 frames
    auto motion = motionWithKeyframesAt(everyStep(0, 20));
    EXPECT_EQ(writeDanceStep(motion, end, 0), 0);
    EXPECT_EQ(motion.value(0, HeadY), 7);
    EXPECT_EQ(motion.value(1, HeadY), end.frame(1)[HeadY]);
}

TEST(DanceInsert, StepPastTheEndStopsWithOneMiss) {
    const DanceStep& end = *danceStepForCommand(9037);
    auto motion = motionWithKeyframesAt(everyStep(0, 12));  // total 60 ticks: last step 12
    EXPECT_EQ(writeDanceStep(motion, end, 8), 1);
    EXPECT_EQ(motion.value(11, HeadY), end.frame(3)[HeadY]);
    EXPECT_EQ(motion.value(12, HeadY), 7);  // the last keyframe keeps its values
}

TEST(DanceInsert, StepsWithoutKeyframesMissEveryChannel) {
    const DanceStep& end = *danceStepForCommand(9037);
    auto motion = motionWithKeyframesAt({0, 2, 4, 6, 8, 20});
    // Steps 1 to 7: keyframes sit at 2, 4 and 6 only.
    EXPECT_EQ(writeDanceStep(motion, end, 1), 4 * kChannelCount);
    EXPECT_EQ(motion.value(1, Mouth), end.frame(1)[Mouth]);
    EXPECT_EQ(motion.value(3, RFLegY), end.frame(5)[RFLegY]);
    EXPECT_EQ(motion.value(4, RFLegY), 7);
}
