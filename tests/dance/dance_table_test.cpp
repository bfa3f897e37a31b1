#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "dance/dance_steps.h"

using namespace rova;

namespace {

using Frame = std::vector<std::int32_t>;

const Frame kStandingRef = {0, 0, 0, 0, -174533, 0, 523600, -174533, 0, 523600,
                            -174533, 0, 523601, -174533, 0, 523600, 0, 0};
const Frame kSeatedRef = {-575960, 0, 0, 0, -534071, 0, 272272, -523600, 0, 261800,
                          -1497496, 0, 2021096, -1483533, 0, 2014114, 0, 0};
const Frame kLyingRef = {-188495, 0, 10472, 10471, 617848, -279253, 712095, 617848, -261800, 712095,
                         -1923357, 0, 1745333, -1926848, 10472, 1752314, 0, 0};

struct Expected {
    const char* name;
    int category;
    int frames;
};

const Expected kExpected[kDanceStepCount] = {
    {"Sit to Stand", 3, 75}, {"Sleep to Stand", 3, 49}, {"Stand to Sleep", 3, 46}, {"Stand to Sit", 3, 73},
    {"Wobble", 0, 56}, {"Wobble2", 0, 64}, {"Shimmy", 0, 28}, {"RaiseForShimmy", 0, 33},
    {"Extended_Shimmy", 0, 102}, {"ArmCircle", 0, 39}, {"ArmShift", 0, 25}, {"ArmShift2", 0, 33},
    {"ArmShift3", 0, 63}, {"ArmShift4", 0, 71}, {"BigYawn", 0, 66}, {"SmallYawn", 1, 44},
    {"BlowKisses", 0, 65}, {"Boxing", 0, 52}, {"EarScratch1", 0, 72}, {"HandJive", 0, 24},
    {"HandJive2", 0, 84}, {"HereIAm", 0, 77}, {"LHandGesture", 0, 65}, {"LNo", 0, 66},
    {"LPawLook", 0, 58}, {"LPawPlay", 0, 67}, {"LPawPlay2", 0, 87}, {"LPawShift", 0, 38},
    {"LPawWave2", 0, 67}, {"LWave", 0, 44}, {"LWave3", 0, 56}, {"LWave4", 0, 45},
    {"PawWag", 0, 38}, {"PawWave2", 0, 52}, {"RCockHead", 0, 28}, {"RPawJive_BEG", 0, 33},
    {"RPawJive_REP", 0, 21}, {"RPawJive_END", 0, 7}, {"RPawLook", 0, 76}, {"RPawPlay", 0, 60},
    {"RPawWave", 0, 70}, {"Shoo", 0, 56}, {"TwoPaw", 0, 42}, {"Bend_WagTail", 1, 67},
    {"Bow_Mouth", 1, 131}, {"Dance", 1, 49}, {"Kick Legs", 1, 64}, {"LeanYap", 1, 59},
    {"LegKick_Etc", 1, 153}, {"LPawPlay", 1, 63}, {"SayNoLegs", 1, 163}, {"StretchLegs", 1, 109},
    {"KneeBends", 1, 85}, {"RearKick", 1, 86}, {"Rise1", 1, 87}, {"ScratchEar", 2, 58},
    {"SleepWobble", 2, 83}, {"LHandJive", 2, 70}, {"No_GivePaw", 2, 92}, {"RHandGesture", 2, 61},
    {"DANCE1", 1, 71}, {"DANCE2", 1, 75}, {"DANCE3", 1, 49}, {"Dance_FURI", 1, 50},
    {"NOBI_STD", 1, 132}, {"DIG", 0, 89}, {"SCRATCH", 0, 64}, {"SCRATCH1", 0, 62},
    {"Sneeze_NOLEGS", 4, 48}, {"TILT_HEAD", 4, 67}, {"PlayBall1", 4, 43}, {"HAPPY", 0, 36},
    {"Pee", 1, 56}, {"ThreeKisses", 0, 101}, {"BigWave", 0, 90}, {"Dig4", 0, 89},
    {"PushUps", 0, 156}, {"LOSE1", 0, 58}, {"LOSE2", 0, 34}, {"LOSE3", 0, 61},
    {"WIN1", 0, 69}, {"WIN2", 0, 88}, {"WIN3", 0, 77},
};

const DanceStep& step(const char* name, int category = -1) {
    for (const DanceStep& s : danceSteps())
        if (std::strcmp(s.name, name) == 0 && (category < 0 || s.category == category)) return s;
    ADD_FAILURE() << "no step " << name;
    return danceSteps()[0];
}

Frame frameOf(const DanceStep& s, int f) { return Frame(s.frame(f), s.frame(f) + kChannelCount); }
Frame first(const DanceStep& s) { return frameOf(s, 0); }
Frame last(const DanceStep& s) { return frameOf(s, s.frameCount - 1); }

double deg(std::int32_t v) { return degreesFromValue(v); }
const ChannelInfo& info(int c) { return kChannelInfo[static_cast<std::size_t>(c)]; }

// Degrees of channel c over the whole step.
std::vector<double> track(const DanceStep& s, int c) {
    std::vector<double> out;
    for (int f = 0; f < s.frameCount; ++f) out.push_back(deg(s.frame(f)[c]));
    return out;
}
double most(const DanceStep& s, int c) { auto t = track(s, c); return *std::max_element(t.begin(), t.end()); }
double least(const DanceStep& s, int c) { auto t = track(s, c); return *std::min_element(t.begin(), t.end()); }

// Total travel of a group of channels: how much they move in the step.
double travel(const DanceStep& s, std::initializer_list<int> channels) {
    double sum = 0;
    for (int c : channels) {
        const auto t = track(s, c);
        for (std::size_t f = 1; f < t.size(); ++f) sum += std::fabs(t[f] - t[f - 1]);
    }
    return sum;
}

// Times the channel passes from below `low` to above `high` (a rise counted once).
int swings(const DanceStep& s, int c, double low, double high) {
    int n = 0;
    bool armed = false;
    for (double d : track(s, c)) {
        if (d < low) armed = true;
        if (armed && d > high) { ++n; armed = false; }
    }
    return n;
}

}  // namespace

TEST(DanceTable, EntriesNamesCategoriesAndCountsInMenuOrder) {
    const auto& steps = danceSteps();
    int total = 0;
    int perCategory[kDanceCategoryCount] = {};
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_NE(steps[i].name, nullptr);
        EXPECT_STREQ(steps[i].name, kExpected[i].name);
        EXPECT_EQ(steps[i].category, kExpected[i].category);
        EXPECT_EQ(steps[i].frameCount, kExpected[i].frames);
        EXPECT_EQ(danceStepForCommand(kFirstDanceCommand + static_cast<int>(i)), &steps[i]);
        total += steps[i].frameCount;
        ++perCategory[static_cast<std::size_t>(steps[i].category)];
    }
    EXPECT_EQ(total, 5462);
    EXPECT_EQ(std::vector<int>(perCategory, perCategory + 5), (std::vector<int>{52, 19, 5, 4, 3}));
    EXPECT_EQ(std::vector<std::string_view>(kDanceCategoryNames.begin(), kDanceCategoryNames.end()),
              (std::vector<std::string_view>{"Sitting", "Standing", "Sleeping", "Change", "Other"}));
}

TEST(DanceTable, CommandIdsOutsideTheStepsCarryNoStep) {
    for (int id : {8999, 9083, 9090, 9100, 9101}) EXPECT_EQ(danceStepForCommand(id), nullptr) << id;
    EXPECT_STREQ(danceStepForCommand(9082)->name, "WIN3");
    // The two steps of the same name are different steps.
    EXPECT_NE(danceStepForCommand(9025)->poses, danceStepForCommand(9049)->poses);
}

TEST(DanceTable, FramesLieBackToBackInOneTable) {
    const auto table = danceFrameTable();
    ASSERT_EQ(table.size(), std::size_t{5462} * 18);
    const std::int32_t* expected = table.data();
    for (const DanceStep& s : danceSteps()) {
        EXPECT_EQ(s.poses, expected) << s.name;
        expected += s.frameCount * kChannelCount;
    }
}

TEST(DanceTable, ReferenceFramesAreExact) {
    EXPECT_EQ(first(step("Stand to Sit")), kStandingRef);
    EXPECT_EQ(last(step("Stand to Sit")), kSeatedRef);
    EXPECT_EQ(first(step("Sit to Stand")), kSeatedRef);
    EXPECT_EQ(last(step("Stand to Sleep")), kLyingRef);
}

// The lying pose itself rests past three nominal limits; values are allowed
// out to it, and no further.
TEST(DanceTable, EveryValueWithinItsChannelLimits) {
    for (int c = 0; c < kChannelCount; ++c) {
        const double lower = std::min<double>(info(c).lower, deg(kLyingRef[static_cast<std::size_t>(c)]));
        const double upper = std::max<double>(info(c).upper, deg(kLyingRef[static_cast<std::size_t>(c)]));
        for (const DanceStep& s : danceSteps()) {
            EXPECT_GE(least(s, c), lower) << s.name << " " << info(c).name;
            EXPECT_LE(most(s, c), upper) << s.name << " " << info(c).name;
        }
    }
}

TEST(DanceTable, NoChannelMovesFasterThanItsHighestSpeed) {
    for (const DanceStep& s : danceSteps())
        for (int c = 0; c < kChannelCount; ++c) {
            const auto t = track(s, c);
            const double perFrame = info(c).maxSpeed * 0.08;
            for (std::size_t f = 1; f < t.size(); ++f)
                ASSERT_LE(std::fabs(t[f] - t[f - 1]), perFrame)
                    << s.name << " " << info(c).name << " frame " << f;
        }
}

// The paw jive sits only at its outer ends: its steps meet in the jive pose.
TEST(DanceTable, StepsBeginAndEndInTheRestingPoseOfTheirCategory) {
    const auto startsInJive = [](const DanceStep& s) {
        return std::strcmp(s.name, "RPawJive_REP") == 0 || std::strcmp(s.name, "RPawJive_END") == 0;
    };
    const auto endsInJive = [](const DanceStep& s) {
        return std::strcmp(s.name, "RPawJive_BEG") == 0 || std::strcmp(s.name, "RPawJive_REP") == 0;
    };
    for (const DanceStep& s : danceSteps()) {
        SCOPED_TRACE(s.name);
        switch (s.category) {
        case DANCE_SITTING:
            if (!startsInJive(s)) {
                EXPECT_EQ(first(s), kSeatedRef);
            }
            if (!endsInJive(s)) {
                EXPECT_EQ(last(s), kSeatedRef);
            }
            break;
        case DANCE_STANDING:
        case DANCE_OTHER:
            EXPECT_EQ(first(s), kStandingRef);
            EXPECT_EQ(last(s), kStandingRef);
            break;
        case DANCE_SLEEPING:
            EXPECT_EQ(first(s), kLyingRef);
            EXPECT_EQ(last(s), kLyingRef);
            break;
        default:
            break;
        }
    }
    EXPECT_EQ(last(step("Sit to Stand")), kStandingRef);
    EXPECT_EQ(first(step("Sleep to Stand")), kLyingRef);
    EXPECT_EQ(last(step("Sleep to Stand")), kStandingRef);
    EXPECT_EQ(first(step("Stand to Sleep")), kStandingRef);
}

TEST(DanceTable, PawJiveStepsChain) {
    const DanceStep& beg = step("RPawJive_BEG");
    const DanceStep& rep = step("RPawJive_REP");
    const DanceStep& end = step("RPawJive_END");
    EXPECT_EQ(last(beg), first(rep));
    EXPECT_EQ(last(rep), first(rep));
    EXPECT_EQ(last(rep), first(end));
    EXPECT_NE(first(rep), kSeatedRef);  // the jive pose has the paw up
}

// Steps named for one side move that side's front leg, not the other.
TEST(DanceMotion, SidedStepsUseTheirSide) {
    const std::initializer_list<int> right = {RFLegY, RFLegX, RFPawY};
    const std::initializer_list<int> left = {LFLegY, LFLegX, LFPawY};
    struct Sided { const char* name; int category; bool isLeft; };
    for (const Sided& c : {Sided{"LHandGesture", 0, true}, {"LNo", 0, true}, {"LPawLook", 0, true},
                           {"LPawPlay", 0, true}, {"LPawPlay", 1, true}, {"LPawPlay2", 0, true},
                           {"LPawShift", 0, true}, {"LPawWave2", 0, true}, {"LWave", 0, true},
                           {"LWave3", 0, true}, {"LWave4", 0, true}, {"LHandJive", 2, true},
                           {"RPawJive_BEG", 0, false}, {"RPawJive_REP", 0, false}, {"RPawJive_END", 0, false},
                           {"RPawLook", 0, false}, {"RPawPlay", 0, false}, {"RPawWave", 0, false},
                           {"RHandGesture", 2, false}}) {
        const DanceStep& s = step(c.name, c.category);
        const double own = travel(s, c.isLeft ? left : right);
        const double otherSide = travel(s, c.isLeft ? right : left);
        EXPECT_GT(own, 40.0) << c.name;
        EXPECT_GT(own, 4 * otherSide) << c.name;
    }
}

TEST(DanceMotion, NoLegsStepsMoveOnlyHeadAndMouth) {
    for (const char* name : {"Sneeze_NOLEGS", "SayNoLegs"}) {
        const DanceStep& s = step(name);
        for (int c = RFLegY; c < kChannelCount; ++c) EXPECT_EQ(travel(s, {c}), 0.0) << name << " " << c;
        EXPECT_GT(travel(s, {HeadY, HeadX}), 30.0) << name;
        EXPECT_LT(least(s, Mouth), -10.0) << name;
    }
}

TEST(DanceMotion, HeadStepsTiltTheHead) {
    EXPECT_GT(most(step("RCockHead"), HeadZ), 15.0);  // toward the right ear
    EXPECT_GT(most(step("TILT_HEAD"), HeadZ), 15.0);
    EXPECT_LT(least(step("TILT_HEAD"), HeadZ), -15.0);
}

TEST(DanceMotion, BigYawnOpensWideWithTheHeadUp) {
    const DanceStep& s = step("BigYawn");
    bool wideAndUp = false;
    for (int f = 0; f < s.frameCount; ++f)
        wideAndUp |= deg(s.frame(f)[Mouth]) < -30 && deg(s.frame(f)[HeadY]) > deg(kSeatedRef[HeadY]) + 30;
    EXPECT_TRUE(wideAndUp);
}

TEST(DanceMotion, GesturesOfTheFrontPaws) {
    // Punches: each front leg thrown forward, straightened, more than once.
    const DanceStep& boxing = step("Boxing");
    EXPECT_GE(swings(boxing, RFLegY, 50, 70), 2);
    EXPECT_GE(swings(boxing, LFLegY, 50, 70), 1);
    EXPECT_LT(least(boxing, RFPawY), 30.0);
    EXPECT_LT(least(boxing, LFPawY), 30.0);

    // A kiss: the paw swung up and folded back to the mouth.
    const DanceStep& kisses = step("BlowKisses");
    bool pawAtMouth = false;
    for (int f = 0; f < kisses.frameCount; ++f)
        pawAtMouth |= deg(kisses.frame(f)[RFLegY]) > 90 && deg(kisses.frame(f)[RFPawY]) > 100;
    EXPECT_TRUE(pawAtMouth);

    // Push-ups fold both front legs again and again.
    const DanceStep& pushUps = step("PushUps");
    EXPECT_GE(swings(pushUps, RFPawY, 30, 80), 5);
    EXPECT_GE(swings(pushUps, LFPawY, 30, 80), 5);
}

TEST(DanceMotion, KneeBendsBendAllFourLegs) {
    const DanceStep& s = step("KneeBends");
    for (int paw : {RFPawY, LFPawY, RRPawY, LRPawY}) EXPECT_GE(swings(s, paw, 40, 70), 3) << paw;
}
