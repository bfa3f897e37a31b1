// Moving, inserting, deleting and duplicating time on motion and eye-light tracks.
#include "model/time_edit.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "support/track_builder.h"

using namespace rova;

namespace {

// One column's keyframes as (tick, value). Test tracks give column c the
// value v + c, so every column of a track carries the same motion.
using Points = std::vector<std::pair<int, int>>;

CMotionTrack trackOf(MotionKind kind, const Points& points) {
    test::KeyframeRows rows;
    int before = 0;
    for (const auto& [t, v] : points) {
        std::vector<std::int32_t> row{t - before};
        for (int c = 0; c < channelCountOfKind(kind); ++c) row.push_back(v + c);
        rows.push_back(row);
        before = t;
    }
    return test::makeTrack(kind, rows);
}

Points columnOf(const CMotionTrack& track, int c) {
    Points points;
    for (int k = 0; k < track.keyframeCount(); ++k)
        points.emplace_back(static_cast<int>(track.keyframeTime(k)), track.value(k, c) - c);
    return points;
}

CMotionTrack applied(const CMotionTrack& track, std::uint32_t columns, const TimeEdit& edit) {
    MotionTimeResult r = planMotionTimeEdit(track, columns, edit);
    CMotionTrack out = track;
    out.replaceBlock(std::move(r.block), r.count);
    return out;
}

TimeEdit move(int start, int length, int to) { return {TimeEditKind::Move, start, length, to}; }
TimeEdit duplicate(int start, int length, int to) { return {TimeEditKind::Duplicate, start, length, to}; }
TimeEdit insert(int at, int length) { return {TimeEditKind::Insert, at, length, 0}; }
TimeEdit erase(int start, int length) { return {TimeEditKind::Delete, start, length, 0}; }

// A keyframe every time step on a ramp, ticks 0..40 (last step 8).
const Points kRamp = {{0, 0}, {5, 100}, {10, 200}, {15, 300}, {20, 400}, {25, 500}, {30, 600}, {35, 700}, {40, 800}};
// The same ramp with only its two ends.
const Points kSparse = {{0, 0}, {40, 800}};

struct MotionCase {
    const char* name;
    Points track;
    TimeEdit edit;
    Points expected;
    int droppedTicks;
};

const MotionCase kMotionCases[] = {
    {"move later replaces the destination and leaves a straight line", kRamp, move(2, 2, 4),
     {{0, 0}, {5, 100}, {20, 200}, {25, 300}, {30, 600}, {35, 700}, {40, 800}}, 0},
    {"move earlier", kRamp, move(4, 2, 2), {{0, 0}, {5, 100}, {10, 400}, {15, 500}, {30, 600}, {35, 700}, {40, 800}}, 0},
    {"move from the start holds the first moved pose there", kRamp, move(0, 2, 1),
     {{0, 0}, {5, 0}, {10, 100}, {15, 300}, {20, 400}, {25, 500}, {30, 600}, {35, 700}, {40, 800}}, 0},
    {"move at the end holds the last pose to the end", kRamp, move(7, 2, 6),
     {{0, 0}, {5, 100}, {10, 200}, {15, 300}, {20, 400}, {25, 500}, {30, 700}, {35, 800}, {40, 800}}, 0},
    {"move past the end drops what lands beyond it", kRamp, move(6, 2, 8),
     {{0, 0}, {5, 100}, {10, 200}, {15, 300}, {20, 400}, {25, 500}, {40, 600}}, 5},
    {"move between keyframes pins the motion at the range's ends", kSparse, move(2, 2, 5),
     {{0, 0}, {25, 200}, {30, 300}, {40, 800}}, 0},
    {"move of an empty range changes nothing", kRamp, move(2, 0, 4), kRamp, 0},
    {"duplicate copies after the range", kRamp, duplicate(2, 2, 4),
     {{0, 0}, {5, 100}, {10, 200}, {15, 300}, {20, 200}, {25, 300}, {30, 600}, {35, 700}, {40, 800}}, 0},
    {"duplicate at the end keeps what fits", kRamp, duplicate(6, 3, 9 - 2),
     {{0, 0}, {5, 100}, {10, 200}, {15, 300}, {20, 400}, {25, 500}, {30, 600}, {35, 600}, {40, 700}}, 5},
    {"duplicate of an empty range changes nothing", kRamp, duplicate(3, 0, 5), kRamp, 0},
    {"insert holds the pose at the point and drops the end", kRamp, insert(2, 2),
     {{0, 0}, {5, 100}, {10, 200}, {20, 200}, {25, 300}, {30, 400}, {35, 500}, {40, 600}}, 10},
    {"insert between keyframes", kSparse, insert(1, 2), {{0, 0}, {5, 100}, {15, 100}, {40, 600}}, 10},
    {"insert at the start", kRamp, insert(0, 1),
     {{0, 0}, {5, 0}, {10, 100}, {15, 200}, {20, 300}, {25, 400}, {30, 500}, {35, 600}, {40, 700}}, 5},
    {"insert at the end drops nothing", kRamp, insert(8, 3), kRamp, 0},
    {"insert of nothing changes nothing", kRamp, insert(3, 0), kRamp, 0},
    {"delete moves what follows earlier and holds the last pose", kRamp, erase(2, 2),
     {{0, 0}, {5, 100}, {10, 400}, {15, 500}, {20, 600}, {25, 700}, {30, 800}, {40, 800}}, 0},
    {"delete between keyframes starts from the pose at the range's end", kSparse, erase(2, 2),
     {{0, 0}, {10, 400}, {30, 800}, {40, 800}}, 0},
    {"delete from the start", kRamp, erase(0, 2),
     {{0, 200}, {5, 300}, {10, 400}, {15, 500}, {20, 600}, {25, 700}, {30, 800}, {40, 800}}, 0},
    {"delete to the end holds the last pose left", kRamp, erase(6, 3),
     {{0, 0}, {5, 100}, {10, 200}, {15, 300}, {20, 400}, {25, 500}, {40, 500}}, 0},
    {"delete of nothing changes nothing", kRamp, erase(4, 0), kRamp, 0},
};

const MotionKind kKinds[] = {MOTION_FULL_BODY, MOTION_HEAD, MOTION_LEGS, MOTION_TAIL};

std::uint32_t allColumns(const CMotionTrack& t) { return (1u << t.channelCount()) - 1u; }

}  // namespace

TEST(TimeEdit, EveryEditGivesItsKeyframesOnEveryKindOfTrack) {
    for (const MotionCase& c : kMotionCases)
        for (MotionKind kind : kKinds) {
            const CMotionTrack track = trackOf(kind, c.track);
            const MotionTimeResult r = planMotionTimeEdit(track, allColumns(track), c.edit);
            EXPECT_EQ(r.droppedTicks, c.droppedTicks) << c.name << ", kind " << kind;
            const CMotionTrack out = applied(track, allColumns(track), c.edit);
            EXPECT_EQ(out.totalTicks(), track.totalTicks()) << c.name;
            for (int col = 0; col < out.channelCount(); ++col)
                ASSERT_EQ(columnOf(out, col), c.expected) << c.name << ", kind " << kind << ", column " << col;
        }
}

TEST(TimeEdit, OneRowChangesThatRowAloneAndFollowsTheAllRowsResult) {
    for (const MotionCase& c : kMotionCases) {
        if (c.track != kRamp) continue;  // a keyframe every step: the other rows need no new ones
        const CMotionTrack track = trackOf(MOTION_LEGS, c.track);
        const CMotionTrack all = applied(track, allColumns(track), c.edit);
        const int row = 5;
        const CMotionTrack one = applied(track, 1u << row, c.edit);
        for (int s = 0; s <= 8; ++s)
            for (int col = 0; col < track.channelCount(); ++col) {
                const CMotionTrack& expected = col == row ? all : track;
                EXPECT_NEAR(one.valueAtStep(s, col), expected.valueAtStep(s, col), 1)
                    << c.name << ", step " << s << ", column " << col;
            }
    }
}

TEST(TimeEdit, OneRowOnASparseTrackGivesTheOtherRowsTheirValuesAtTheNewKeyframes) {
    const CMotionTrack track = trackOf(MOTION_TAIL, kSparse);
    const CMotionTrack out = applied(track, 0b01, move(2, 2, 5));
    EXPECT_EQ(columnOf(out, 0), (Points{{0, 0}, {25, 200}, {30, 300}, {40, 800}}));
    EXPECT_EQ(columnOf(out, 1), (Points{{0, 0}, {25, 500}, {30, 600}, {40, 800}}));
    EXPECT_FALSE(out.isModified());  // planning and rebuilding in a test marks nothing
}

TEST(TimeEdit, ReservedWordsStayWithTheirKeyframes) {
    CMotionTrack track = trackOf(MOTION_TAIL, kRamp);
    std::vector<std::int32_t> block = track.block();
    block[static_cast<std::size_t>(track.recordWords()) * 8 + 1] = 77;  // keyframe 8 at tick 40
    track.replaceBlock(block, track.keyframeCount());
    const CMotionTrack out = applied(track, 0b11, erase(2, 2));
    EXPECT_EQ(out.reserved(out.keyframeCount() - 1, 0), 77);
    EXPECT_EQ(out.reserved(1, 0), 0);
}

TEST(TimeEdit, LedStepsFollowTheTimeStepsRounded) {
    const std::pair<std::int64_t, std::int64_t> cases[] = {{0, 0}, {1, 1}, {12, 12}, {13, 12}, {25, 24}, {-13, -12}};
    for (const auto& [step, led] : cases) EXPECT_EQ(ledStepOfTimeStep(step), led) << step;
}

TEST(TimeEdit, TheLastTimeStepIsTheLongerTracksEnd) {
    CLedTrack leds;
    leds.steps.assign(12, 0);  // one second: LED steps 0..11 lie at time steps 0..11
    EXPECT_EQ(lastTimeStep(CMotionTrack(), leds), 11);
    EXPECT_EQ(lastTimeStep(trackOf(MOTION_HEAD, kRamp), leds), 11);
    EXPECT_EQ(lastTimeStep(trackOf(MOTION_HEAD, {{0, 0}, {65, 0}}), leds), 13);
    EXPECT_EQ(lastTimeStep(CMotionTrack(), CLedTrack()), 0);
}

namespace {

struct LedCase {
    const char* name;
    TimeEdit edit;
    unsigned bits;
    const char* expected;
    int droppedSteps;
};

const char* const kLeds = "0123012301";

const LedCase kLedCases[] = {
    {"move leaves the place dark", move(2, 2, 5), 3, "0100023301", 0},
    {"move of the green eye alone", move(2, 2, 5), 1, "0122003301", 0},
    {"move past the end drops a step", move(8, 2, 9), 3, "0123012300", 1},
    {"duplicate", duplicate(0, 2, 2), 3, "0101012301", 0},
    {"insert is dark and drops the end", insert(2, 3), 3, "0100023012", 3},
    {"insert of the red eye alone", insert(2, 3), 2, "0101032103", 3},
    {"delete holds the last state to the end", erase(2, 3), 3, "0112301111", 0},
    {"delete to the end holds the last state left", erase(7, 5), 3, "0123012222", 0},
    {"an empty range changes nothing", move(2, 0, 5), 3, kLeds, 0},
    {"no bits change nothing", insert(2, 3), 0, kLeds, 0},
};

CLedTrack ledsOf(const std::string& digits) {
    CLedTrack leds;
    for (char d : digits) leds.steps.push_back(static_cast<std::uint8_t>(d - '0'));
    return leds;
}

std::string digitsOf(const std::vector<std::uint8_t>& steps) {
    std::string s;
    for (auto b : steps) s += static_cast<char>('0' + b);
    return s;
}

}  // namespace

TEST(TimeEdit, EyeLightsMoveStepByStepOnTheChosenEyes) {
    for (const LedCase& c : kLedCases) {
        const LedTimeResult r = planLedTimeEdit(ledsOf(kLeds), c.bits, c.edit);
        EXPECT_EQ(digitsOf(r.steps), c.expected) << c.name;
        EXPECT_EQ(r.droppedSteps, c.droppedSteps) << c.name;
    }
}

TEST(TimeEdit, APlanOverTheBudgetSaysSoAndNamesTheBudget) {
    // 522 keyframes, one every step: the most a full-body file holds.
    Points points;
    for (int k = 0; k < 522; ++k) points.emplace_back(5 * k, k % 2 == 0 ? 0 : 1000);
    CMotionTrack full = trackOf(MOTION_FULL_BODY, points);
    ASSERT_TRUE(full.fitsInFile());
    EXPECT_EQ(full.keyframeBudget(), 522);
    EXPECT_EQ(trackOf(MOTION_HEAD, kRamp).keyframeBudget(), 1437);
    EXPECT_EQ(trackOf(MOTION_LEGS, kRamp).keyframeBudget(), 718);
    EXPECT_EQ(trackOf(MOTION_TAIL, kRamp).keyframeBudget(), 1916);

    // Every row over the whole track: a move keeps the count.
    CLedTrack leds;
    TimeEditPlan plan = planTimeEdit(full, leds, {allColumns(full), 0}, move(10, 20, 12));
    EXPECT_TRUE(plan.fits);
    // Thin the track, then move one row by half a segment: the rows need new keyframes between.
    Points sparse;
    for (int k = 0; k < 400; ++k) sparse.emplace_back(10 * k, k % 2 == 0 ? 0 : 1000);
    CMotionTrack thin = trackOf(MOTION_FULL_BODY, sparse);
    plan = planTimeEdit(thin, leds, {1u, 0}, move(0, 798, 1));
    EXPECT_FALSE(plan.fits);
    EXPECT_EQ(plan.budget, 522);
    EXPECT_GT(plan.keyframes, 522);
    // A motion already too large may still shrink.
    points.emplace_back(5 * 522, 0);
    CMotionTrack over = trackOf(MOTION_FULL_BODY, points);
    ASSERT_FALSE(over.fitsInFile());
    EXPECT_TRUE(planTimeEdit(over, leds, {allColumns(over), 0}, erase(0, 4)).fits);
}

TEST(TimeEdit, ApplyingMarksOnlyTheTracksThatChanged) {
    CMotionTrack motion = trackOf(MOTION_HEAD, kRamp);
    CLedTrack leds = ledsOf(kLeds);
    EXPECT_FALSE(applyTimeEdit(motion, leds, planTimeEdit(motion, leds, {0b1111, 3}, move(2, 0, 4))));
    EXPECT_FALSE(motion.isModified());
    EXPECT_FALSE(leds.isModified());
    EXPECT_TRUE(applyTimeEdit(motion, leds, planTimeEdit(motion, leds, {0, 3}, erase(0, 1))));
    EXPECT_FALSE(motion.isModified());
    EXPECT_TRUE(leds.isModified());
    const TimeEditPlan plan = planTimeEdit(motion, leds, {0b0001, 0}, insert(2, 2));
    EXPECT_EQ(plan.droppedMs, 160);
    EXPECT_TRUE(applyTimeEdit(motion, leds, plan));
    EXPECT_TRUE(motion.isModified());
}

namespace {

// A random track of the kind: keyframes at random steps of 0..last, both ends included.
CMotionTrack randomTrack(std::mt19937& rng, MotionKind kind, int last) {
    Points points{{0, static_cast<int>(rng() % 2001) - 1000}};
    for (int s = 1; s < last; ++s)
        if (rng() % 3 == 0) points.emplace_back(5 * s, static_cast<int>(rng() % 2001) - 1000);
    points.emplace_back(5 * last, static_cast<int>(rng() % 2001) - 1000);
    return trackOf(kind, points);
}

std::uint32_t randomColumns(std::mt19937& rng, int channels) {
    const std::uint32_t all = (1u << channels) - 1u;
    return rng() % 2 == 0 ? all : std::max(1u, static_cast<std::uint32_t>(rng()) & all);
}

bool keyInside(const CMotionTrack& t, std::int64_t from, std::int64_t to) {
    for (int k = 0; k < t.keyframeCount(); ++k)
        if (t.keyframeTime(k) >= from && t.keyframeTime(k) < to) return true;
    return false;
}

}  // namespace

// Pins added at a range's ends lie on the motion, truncated like any
// interpolated value: the motion comes back within one micro-radian.
TEST(TimeEdit, MovingLaterThenEarlierRestoresTheMotionWhereNothingWasOverwritten) {
    std::mt19937 rng(20240611);
    const int last = 60;
    for (int round = 0; round < 300; ++round) {
        const MotionKind kind = kKinds[rng() % 4];
        const CMotionTrack track = randomTrack(rng, kind, last);
        const std::uint32_t columns = randomColumns(rng, track.channelCount());
        const int length = 1 + static_cast<int>(rng() % 15);
        const int start = static_cast<int>(rng() % static_cast<unsigned>(last + 1 - length));
        const int to = static_cast<int>(rng() % static_cast<unsigned>(last + 2 - length));
        if (to == start) continue;
        // Only a destination without keyframes of its own is wholly given back.
        if (keyInside(track, 5 * std::int64_t{to}, 5 * std::int64_t{to + length})) continue;
        const CMotionTrack there = applied(track, columns, move(start, length, to));
        const CMotionTrack back = applied(there, columns, move(to, length, start));
        // Rows left alone take truncated values at the other rows' new keyframes in each move.
        const int tolerance = columns == allColumns(track) ? 1 : 2;
        for (int s = 0; s <= last; ++s)
            for (int c = 0; c < track.channelCount(); ++c)
                ASSERT_NEAR(back.valueAtStep(s, c), track.valueAtStep(s, c), tolerance)
                    << "round " << round << ", step " << s << ", column " << c;

        CLedTrack leds;
        for (int i = 0; i < 58; ++i) leds.steps.push_back(static_cast<std::uint8_t>(rng() % 4));
        CLedTrack moved = leds;
        moved.steps = planLedTimeEdit(leds, 3, move(start, length, to)).steps;
        const std::vector<std::uint8_t> restored = planLedTimeEdit(moved, 3, move(to, length, start)).steps;
        const std::int64_t from = ledStepOfTimeStep(to), count = ledStepOfTimeStep(length);
        for (std::int64_t i = 0; i < leds.length(); ++i)
            if (i < from || i >= from + count) {
                ASSERT_EQ(restored[static_cast<std::size_t>(i)], leds.steps[static_cast<std::size_t>(i)])
                    << "round " << round << ", LED step " << i;
            }
    }
}

TEST(TimeEdit, InsertingThenDeletingTheInsertedTimeRestoresTheTrack) {
    std::mt19937 rng(7);
    const int last = 60;
    for (int round = 0; round < 300; ++round) {
        const MotionKind kind = kKinds[rng() % 4];
        const CMotionTrack track = randomTrack(rng, kind, last);
        const std::uint32_t columns = randomColumns(rng, track.channelCount());
        const int length = 1 + static_cast<int>(rng() % 20);
        const int at = static_cast<int>(rng() % static_cast<unsigned>(last + 1 - length));
        const CMotionTrack inserted = applied(track, columns, insert(at, length));
        const CMotionTrack back = applied(inserted, columns, erase(at, length));
        EXPECT_EQ(back.totalTicks(), track.totalTicks());
        // What was pushed past the end is gone; the rest comes back. Rows left alone take
        // truncated values at the other rows' new keyframes in each of the two edits.
        const int tolerance = columns == allColumns(track) ? 1 : 2;
        for (int s = 0; s <= last - length; ++s)
            for (int c = 0; c < track.channelCount(); ++c)
                ASSERT_NEAR(back.valueAtStep(s, c), track.valueAtStep(s, c), tolerance)
                    << "round " << round << ", step " << s << ", column " << c;
        // On every row, from a keyframe to one where the dropped end began, nothing is pinned or
        // interpolated anew: the values come back exactly.
        auto keyAt = [&](int step) { return keyInside(track, 5 * std::int64_t{step}, 5 * std::int64_t{step} + 1); };
        if (columns == allColumns(track) && keyAt(at) && keyAt(last - length)) {
            for (int s = 0; s <= last - length; ++s)
                for (int c = 0; c < track.channelCount(); ++c)
                    ASSERT_EQ(back.valueAtStep(s, c), track.valueAtStep(s, c)) << "round " << round << ", step " << s;
        }

        CLedTrack leds;
        for (int i = 0; i < 58; ++i) leds.steps.push_back(static_cast<std::uint8_t>(rng() % 4));
        CLedTrack grown = leds;
        grown.steps = planLedTimeEdit(leds, 3, insert(at, length)).steps;
        const std::vector<std::uint8_t> restored = planLedTimeEdit(grown, 3, erase(at, length)).steps;
        for (std::int64_t i = 0; i < leds.length() - ledStepOfTimeStep(length); ++i)
            ASSERT_EQ(restored[static_cast<std::size_t>(i)], leds.steps[static_cast<std::size_t>(i)])
                << "round " << round << ", LED step " << i;
    }
}
