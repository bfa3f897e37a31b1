#include <gtest/gtest.h>

#include <cmath>

#include "check/check.h"
#include "check/segment_rules.h"
#include "support/track_builder.h"

using namespace rova;
using namespace rova::check;
using rova::test::KeyframeRows;
using rova::test::makeTrack;

namespace {

const CLedTrack kNoLeds{};

// A full-body track whose channel `ch` holds `values` (one keyframe each,
// `duration` ticks apart); the other channels stay at 0.
CMotionTrack channelTrack(int ch, const std::vector<std::int32_t>& values, int duration) {
    KeyframeRows rows;
    for (std::size_t k = 0; k < values.size(); ++k) {
        std::vector<std::int32_t> row(19, 0);
        row[0] = k == 0 ? 0 : duration;
        row[static_cast<std::size_t>(ch) + 1] = values[k];
        rows.push_back(row);
    }
    return makeTrack(MOTION_FULL_BODY, rows);
}

// The smallest value (micro-radians) whose degrees are not below `limit`.
std::int32_t firstValueNotBelow(double limit) {
    auto v = static_cast<std::int32_t>(std::lround(limit * 1e6 * M_PI / 180.0));
    while (degreesFromValue(v) < limit) ++v;
    while (degreesFromValue(v - 1) >= limit) --v;
    return v;
}

// The largest value whose speed over one 5-tick step from 0 is not above
// `speed` (degrees per second), as the panes compute speeds.
std::int32_t lastValueNotFaster(double speed) {
    auto speedOf = [](std::int32_t v) { return std::abs(degreesFromValue(v)) * 125 / (2.0 * 5); };
    auto v = static_cast<std::int32_t>(std::lround(speed / 12.5 * 1e6 * M_PI / 180.0));
    while (speedOf(v) > speed) --v;
    while (speedOf(v + 1) <= speed) ++v;
    return v;
}

std::vector<ProblemKind> kinds(const std::vector<Problem>& problems) {
    std::vector<ProblemKind> out;
    for (const Problem& p : problems) out.push_back(p.kind);
    return out;
}

}  // namespace

// One micro-radian on either side of where each channel's out-of-range
// colouring starts (1.1 x the limit), below and above; a slow move there.
TEST(CheckRange, OneMicroRadianBeyondEachLimit) {
    for (int ch = 0; ch < kChannelCount; ++ch) {
        SCOPED_TRACE(kChannelInfo[static_cast<std::size_t>(ch)].name);
        const ChannelRules rules(kChannelInfo[static_cast<std::size_t>(ch)]);
        const std::int32_t lowIn = firstValueNotBelow(rules.lowLimit);
        const std::int32_t highOut = firstValueNotBelow(std::nextafter(static_cast<double>(rules.highLimit), 1e9));
        const struct {
            std::int32_t value;
            bool flagged;
            const char* side;
        } cases[] = {{lowIn, false, "lower"}, {lowIn - 1, true, "lower"}, {highOut - 1, false, "upper"},
                     {highOut, true, "upper"}};
        for (const auto& c : cases) {
            const auto problems = checkPerformance(channelTrack(ch, {0, c.value, 0}, 1000), kNoLeds);
            ASSERT_EQ(problems.size(), c.flagged ? 1u : 0u) << c.value;
            if (!c.flagged) continue;
            const Problem& p = problems[0];
            EXPECT_EQ(p.kind, ProblemKind::Range);
            EXPECT_EQ(p.channel, ch);
            EXPECT_EQ(p.keyframe, 1);
            EXPECT_EQ(p.step, 200);
            EXPECT_EQ(p.timeMs, 16000);
            EXPECT_EQ(p.selStart, 0);  // the segment from keyframe 0 to it
            EXPECT_EQ(p.selLength, 201);
            EXPECT_NE(describe(p).find(c.side), std::string::npos) << describe(p);
        }
    }
}

TEST(CheckRange, TheEndKeyframesAreCheckedToo) {
    const std::int32_t far = valueFromDegrees(100);  // HeadY's upper limit is 43
    const auto problems = checkPerformance(channelTrack(HeadY, {far, 0, far}, 1000), kNoLeds);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].keyframe, 0);
    EXPECT_EQ(problems[0].selLength, 1);
    EXPECT_EQ(problems[1].keyframe, 2);
}

// A segment exactly at the speed thresholds is not flagged (strictly greater
// flags); the next micro-radian is. Far too fast starts at 1.5 x, where the
// panes switch to the alarm pen.
TEST(CheckSpeed, ThresholdsPerChannel) {
    for (int ch = 0; ch < kChannelCount; ++ch) {
        SCOPED_TRACE(kChannelInfo[static_cast<std::size_t>(ch)].name);
        const ChannelRules rules(kChannelInfo[static_cast<std::size_t>(ch)]);
        const std::int32_t atFast = lastValueNotFaster(rules.fastSpeed);
        const std::int32_t belowAlarm = lastValueNotFaster(std::nextafter(static_cast<double>(rules.alarmSpeed), 0.0));
        const struct {
            std::int32_t value;
            std::vector<ProblemKind> expected;
        } cases[] = {{atFast, {}},
                     {atFast + 1, {ProblemKind::Fast, ProblemKind::Fast}},
                     {belowAlarm, {ProblemKind::Fast, ProblemKind::Fast}},
                     {belowAlarm + 1, {ProblemKind::Alarm, ProblemKind::Alarm}}};
        for (const auto& c : cases) {
            // Up in one step and back down in the next: two segments.
            const CMotionTrack track = channelTrack(ch, {0, 0, c.value, 0, 0}, 5);
            const auto problems = checkPerformance(track, kNoLeds);
            std::vector<ProblemKind> speedKinds;
            for (const Problem& p : problems)
                if (p.kind != ProblemKind::Range) speedKinds.push_back(p.kind);
            EXPECT_EQ(speedKinds, c.expected) << c.value;
            if (!c.expected.empty()) {
                const Problem* first = nullptr;
                for (const Problem& p : problems)
                    if (p.kind != ProblemKind::Range && !first) first = &p;
                EXPECT_EQ(first->keyframe, 2);
                EXPECT_EQ(first->step, 2);
                EXPECT_EQ(first->selStart, 1);
                EXPECT_EQ(first->selLength, 2);
            }
        }
    }
}

TEST(CheckSpeed, AJumpInNoTimeIsFarTooFastAndNoMoveIsFine) {
    const auto problems = checkPerformance(channelTrack(HeadX, {0, 0, valueFromDegrees(10), valueFromDegrees(10)}, 0), kNoLeds);
    EXPECT_EQ(kinds(problems), std::vector<ProblemKind>{ProblemKind::Alarm});
    EXPECT_EQ(problems.at(0).keyframe, 2);
}

TEST(CheckSize, LimitOfEachKind) {
    const struct {
        MotionKind kind;
        int limit;
    } cases[] = {{MOTION_FULL_BODY, 522}, {MOTION_HEAD, 1437}, {MOTION_LEGS, 718}, {MOTION_TAIL, 1916}};
    for (const auto& c : cases) {
        const int n = channelCountOfKind(c.kind);
        EXPECT_EQ(motionKeyframeBudget(n), c.limit);
        // The limit is the last count whose data section stays below 46000 bytes.
        EXPECT_LT(c.limit * (n + 4) * 4 + 6, 46000);
        EXPECT_GE((c.limit + 1) * (n + 4) * 4 + 6, 46000);
        for (int count : {c.limit, c.limit + 1}) {
            KeyframeRows rows(static_cast<std::size_t>(count), std::vector<std::int32_t>(static_cast<std::size_t>(n) + 1, 0));
            for (std::size_t k = 1; k < rows.size(); ++k) rows[k][0] = 5;
            const CMotionTrack track = makeTrack(c.kind, rows);
            EXPECT_EQ(motionBudget(track), (Budget{count, c.limit}));
            EXPECT_EQ(motionBudget(track)->over(), !track.fitsInFile());
            const auto problems = checkPerformance(track, kNoLeds);
            if (count == c.limit) {
                EXPECT_TRUE(problems.empty());
                continue;
            }
            ASSERT_EQ(problems.size(), 1u);
            EXPECT_EQ(problems[0].kind, ProblemKind::Size);
            EXPECT_EQ(problems[0].channel, -1);
            EXPECT_EQ(problems[0].keyframe, c.limit);  // the first one that does not fit
            EXPECT_EQ(problems[0].step, c.limit);
            EXPECT_NE(describe(problems[0]).find(std::to_string(c.limit + 1) + " keyframes"), std::string::npos);
        }
    }
    EXPECT_EQ(motionBudget(CMotionTrack{}), std::nullopt);
}

TEST(CheckEyes, FlashesShorterThanTwoSteps) {
    const struct {
        std::vector<std::uint8_t> steps;
        std::vector<std::pair<int, int>> flashes;  // (eye, LED step)
    } cases[] = {
        {{}, {}},
        {{1}, {{EYE_GREEN, 0}}},
        {{1, 1}, {}},
        {{0, 3, 0}, {{EYE_GREEN, 1}, {EYE_RED, 1}}},
        {{2, 3, 1, 0}, {}},  // red on at steps 0-1, green at 1-2: two steps each
        {{0, 2, 2, 0, 2}, {{EYE_RED, 4}}},  // a flash at the very end counts
        {{1, 0, 1, 1, 0, 2, 0, 0, 0, 0, 0, 0, 0, 1}, {{EYE_GREEN, 0}, {EYE_RED, 5}, {EYE_GREEN, 13}}},
    };
    for (const auto& c : cases) {
        CLedTrack leds;
        leds.steps = c.steps;
        const auto problems = checkPerformance(CMotionTrack{}, leds);
        std::vector<std::pair<int, int>> found;
        for (const Problem& p : problems) {
            EXPECT_EQ(p.kind, ProblemKind::ShortFlash);
            EXPECT_FALSE(isError(p.kind));
            EXPECT_EQ(p.channel, -1);
            // Back from milliseconds to the LED step.
            found.emplace_back(p.eye, static_cast<int>((p.timeMs * 12 + 999) / 1000));
        }
        EXPECT_EQ(found, c.flashes);
    }
    CLedTrack leds;
    leds.steps.assign(14, 0);
    leds.steps[13] = 1;  // 1083 ms to 1166 ms
    const Problem p = checkPerformance(CMotionTrack{}, leds).at(0);
    EXPECT_EQ(p.timeMs, 1083);
    EXPECT_EQ(p.step, 13);
    EXPECT_EQ(p.selStart, 13);
    EXPECT_EQ(p.selLength, 2);  // the flash reaches into step 14
}

TEST(CheckLength, MotionAgainstSound) {
    const CMotionTrack motion = channelTrack(HeadY, {0, 0}, 100);  // 100 ticks
    const struct {
        int soundTicks;
        std::vector<ProblemKind> expected;
        int step;
    } cases[] = {
        {kNoSoundLength, {}, 0}, {100, {}, 0}, {95, {}, 0}, {105, {}, 0},
        {94, {ProblemKind::LongMotion}, 18},    // ends 6 ticks after the sound
        {106, {ProblemKind::ShortMotion}, 20},  // ends 6 ticks before it
        {0, {ProblemKind::LongMotion}, 0},
    };
    for (const auto& c : cases) {
        const auto problems = checkPerformance(motion, kNoLeds, c.soundTicks);
        EXPECT_EQ(kinds(problems), c.expected) << c.soundTicks;
        if (problems.empty()) continue;
        EXPECT_EQ(problems[0].step, c.step);
        EXPECT_FALSE(isError(problems[0].kind));
    }
    EXPECT_TRUE(checkPerformance(CMotionTrack{}, kNoLeds, 1000).empty());  // no motion, nothing to compare
}

TEST(Check, SortedByTimeThenChannelAndKind) {
    const std::int32_t far = valueFromDegrees(150);
    KeyframeRows rows = {std::vector<std::int32_t>(19, 0), std::vector<std::int32_t>(19, 0),
                         std::vector<std::int32_t>(19, 0)};
    rows[1][0] = 1000;
    rows[2][0] = 5;
    rows[2][1 + TailX] = far;  // out of range and far too fast at 16080 ms
    rows[1][1 + HeadY] = far;  // out of range at 16000 ms
    CLedTrack leds;
    leds.steps = {0, 0, 1};  // a flash at 166 ms
    const auto problems = checkPerformance(makeTrack(MOTION_FULL_BODY, rows), leds, 2000);
    // HeadY comes back down from 150 degrees in one step at 16080 ms too.
    EXPECT_EQ(kinds(problems),
              (std::vector<ProblemKind>{ProblemKind::ShortFlash, ProblemKind::Range, ProblemKind::ShortMotion,
                                        ProblemKind::Alarm, ProblemKind::Range, ProblemKind::Alarm}));
    std::vector<int> channels;
    for (const Problem& p : problems) channels.push_back(p.channel);
    EXPECT_EQ(channels, (std::vector<int>{-1, HeadY, -1, HeadY, TailX, TailX}));
}

TEST(Check, KindNamesAndStrictness) {
    const struct {
        ProblemKind kind;
        const char* name;
        bool error;
    } cases[] = {{ProblemKind::Range, "range", true},
                 {ProblemKind::Fast, "fast", true},
                 {ProblemKind::Alarm, "alarm", true},
                 {ProblemKind::Size, "size", true},
                 {ProblemKind::ShortFlash, "short-flash", false},
                 {ProblemKind::ShortMotion, "short-motion", false},
                 {ProblemKind::LongMotion, "long-motion", false}};
    for (const auto& c : cases) {
        EXPECT_STREQ(kindName(c.kind), c.name);
        EXPECT_EQ(isError(c.kind), c.error);
        EXPECT_STRNE(kindTitle(c.kind), "");
    }
}

TEST(Clamp, OutOfRangeKeyframesInTheRangeGoToTheNearerLimit) {
    const std::int32_t high = valueFromDegrees(60), low = valueFromDegrees(-100);
    const std::int32_t tolerated = valueFromDegrees(45);  // above 43 but within 1.1 x: not flagged, kept
    // HeadY keyframes at steps 0, 1, 2, 3, 4, 5.
    const std::vector<std::int32_t> values = {high, low, tolerated, high, low, high};
    const struct {
        int start, length, channel;
        std::vector<std::int32_t> expected;
        int changed;
    } cases[] = {
        {1, 3, HeadY, {high, valueFromDegrees(-80), tolerated, valueFromDegrees(43), low, high}, 2},
        {0, 6, HeadY, {750491, -1396263, tolerated, 750491, -1396263, 750491}, 5},  // the ends too
        {0, 6, HeadX, values, 0},   // another channel
        {6, 10, HeadY, values, 0},  // after the track
        {0, 0, HeadY, values, 0},
        {0, 6, 40, values, 0},      // no such channel
    };
    for (const auto& c : cases) {
        CMotionTrack track = channelTrack(HeadY, values, 5);
        EXPECT_EQ(clampToLimits(track, c.channel, c.start, c.length), c.changed);
        std::vector<std::int32_t> got;
        for (int k = 0; k < track.keyframeCount(); ++k) got.push_back(track.value(k, HeadY));
        EXPECT_EQ(got, c.expected) << c.start << "+" << c.length;
        EXPECT_EQ(track.isModified(), c.changed > 0);
    }
    // After a clamp over everything no value is out of range.
    CMotionTrack track = channelTrack(HeadY, values, 1000);
    clampToLimits(track, HeadY, 0, 10000);
    EXPECT_TRUE(checkPerformance(track, kNoLeds).empty());
}

TEST(Clamp, LimitsOfAPartialTrack) {
    // Legs start at channel 4: column 0 is RFLegY.
    KeyframeRows rows(3, std::vector<std::int32_t>(13, 0));
    rows[1][0] = rows[2][0] = 500;
    rows[1][1] = valueFromDegrees(200);
    CMotionTrack legs = makeTrack(MOTION_LEGS, rows);
    EXPECT_EQ(clampToLimits(legs, HeadY, 0, 1000), 0);
    EXPECT_EQ(clampToLimits(legs, RFLegY, 0, 1000), 1);
    EXPECT_EQ(legs.value(1, 0), valueFromDegrees(117));
}
