// The generators on crafted audio: the loud count, the eye LED
// track and the mouth motion, with exact bytes and values.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/generators.h"
#include "support/track_builder.h"

using namespace rova;
using rova::test::KeyframeRows;
using rova::test::makeTrack;
using testing::ElementsAre;

namespace {

// Silence with runs of one sample value.
struct Audio {
    std::vector<std::uint8_t> samples;
    explicit Audio(std::size_t n) : samples(n, 128) {}
    Audio& fill(std::size_t from, std::size_t count, std::uint8_t v) {
        for (std::size_t i = from; i < from + count; ++i) samples.at(i) = v;
        return *this;
    }
    CWaveTrack wave() const { return {samples.data(), static_cast<int>(samples.size())}; }
};

CLedTrack leds(std::vector<std::uint8_t> steps) {
    CLedTrack t;
    t.steps = std::move(steps);
    return t;
}

// A head track of k keyframes 5 ticks apart (keyframe 0 at tick 0), mouth 1000 * (i + 1).
CMotionTrack headTrack(int keyframes) {
    KeyframeRows rows;
    for (int i = 0; i < keyframes; ++i) rows.push_back({i == 0 ? 0 : 5, 1, 2, 3, 1000 * (i + 1)});
    return makeTrack(MOTION_HEAD, rows);
}

std::vector<std::int32_t> mouthValues(const CMotionTrack& m) {
    std::vector<std::int32_t> v;
    for (int k = 0; k < m.keyframeCount(); ++k) v.push_back(m.value(k, Mouth));
    return v;
}

}  // namespace

TEST(CountLoud, BothSidesOfTheThresholdStrictly) {
    const std::uint8_t s[] = {128, 159, 97, 158, 98, 0, 255};
    EXPECT_EQ(countLoud(s, 7, 30), 4);  // 31 and -31 are loud, 30 and -30 are not
    EXPECT_EQ(countLoud(s, 3, 30), 2);  // only the first n samples
    const std::uint8_t edges[] = {64, 65, 191, 192, 127, 129, 128};
    EXPECT_EQ(countLoud(edges, 7, 63), 2);  // below 65 or above 191
    EXPECT_EQ(countLoud(edges, 7, 0), 6);   // anything but 128
}

TEST(CountLoud, AWindowIsLoudAboveTwentyPercentOnly) {
    std::vector<std::uint8_t> w(640, 128);
    std::fill(w.begin(), w.begin() + 128, 200);
    EXPECT_FALSE(isLoud(w.data(), 640, 30));  // exactly 20 %
    w[128] = 200;
    EXPECT_TRUE(isLoud(w.data(), 640, 30));
    const std::uint8_t fifth[] = {0, 128, 128, 128, 128};
    EXPECT_FALSE(isLoud(fifth, 5, 30));
    EXPECT_FALSE(isLoud(fifth, 0, 30));
}

TEST(GenerateEyes, WindowsOfATwelfthOfASecondFromTheirOffsets) {
    // Offsets 0, 666, 1333, 2000: window 2 starts at 1333, so sample 1332 is in none.
    Audio a(2000);
    a.fill(0, 134, 168);     // window 0: 134 of 666 at +40: loud for 30, not for 50
    a.fill(666, 666, 200);   // window 1: all at +72
    a.fill(1332, 134, 20);   // window 2 holds 133 of them at -108: not loud
    CLedTrack t = leds({0xF0, 0xF0, 0xF3, 0xF7, 0xFF});
    generateFromAudio(t, a.wave(), 30, 50);
    // The other bits stay; steps whose window starts at or after the end become 0.
    EXPECT_THAT(t.steps, ElementsAre(0xF1, 0xF3, 0xF0, 0x00, 0x00));
    EXPECT_TRUE(t.isModified());
}

TEST(GenerateEyes, TheLastWindowIsShortWhenTheAudioEnds) {
    Audio a(1400);           // window 2 is 1333 .. 1399: 67 samples
    a.fill(1333, 14, 129);   // 14 of 67 is over 20 % at threshold 0
    CLedTrack t = leds({3, 3, 0});
    generateFromAudio(t, a.wave(), 0, 1);
    EXPECT_THAT(t.steps, ElementsAre(0, 0, 1));  // red needs more than 1 away from silence
    a.fill(1333, 1, 128);    // 13 of 67: not
    generateFromAudio(t, a.wave(), 0, 0);
    EXPECT_THAT(t.steps, ElementsAre(0, 0, 0));
}

TEST(GenerateEyes, ThresholdSixtyThreeNeedsTheExtremes) {
    Audio a(666);
    a.fill(0, 200, 65).fill(200, 200, 191);
    CLedTrack t = leds({0});
    generateFromAudio(t, a.wave(), 63, 62);
    EXPECT_THAT(t.steps, ElementsAre(2));  // 65 and 191 are 63 away: loud only for 62
    a.fill(0, 134, 64);
    generateFromAudio(t, a.wave(), 63, 63);
    EXPECT_THAT(t.steps, ElementsAre(3));
}

TEST(GenerateMouth, LevelsFollowTheSoundKeyframeByKeyframe) {
    // Keyframe k's window: 640 samples from 1280 after the previous keyframe's time.
    const struct {
        const char* what;
        Audio audio;
        int threshold, start, length, keyframes;
        std::vector<std::int32_t> mouth;
    } cases[] = {
        // Before every window: no effect; keyframes 1..4 loud; keyframe 5 exactly 20 %, quiet.
        {"levels ramp one keyframe at a time",
         Audio(5120).fill(0, 1280, 255).fill(1280, 4 * 640, 255).fill(3840, 128, 255), 30, 0, 8, 8,
         {1000, -137500, -275000, -412500, -550000, -412500, -275000, 8000}},
        {"from keyframe zero the first level is one in silence", Audio(5120), 30, 0, 8, 8,
         {1000, -137500, -137500, -137500, -137500, -137500, -137500, 8000}},
        // Keyframe 4's window is 3200 .. 3499 (300 samples); 5 and 6 have none.
        {"audio ending early closes the mouth (the first level is one though loud)", Audio(3500).fill(0, 3500, 255),
         30, 0, 8, 8, {1000, -137500, -275000, -412500, -550000, 0, 0, 8000}},
        // Steps 2..4: S = 10, E = 25: keyframes whose previous time T >= 10 and T + 5 < 25.
        {"only keyframes inside the range", Audio(5120).fill(0, 5120, 255), 30, 2, 3, 8,
         {1000, 2000, 3000, -137500, -275000, 6000, 7000, 8000}},
        {"a range without keyframes", Audio(5120).fill(0, 5120, 255), 30, 100, 5, 8,
         {1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000}},
        {"threshold zero", Audio(5120).fill(0, 5120, 129), 0, 0, 4, 4, {1000, -137500, -275000, 4000}},
        {"threshold sixty-three", Audio(5120).fill(0, 5120, 65), 63, 0, 4, 4, {1000, -137500, -137500, 4000}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CMotionTrack m = headTrack(c.keyframes);
        generateMouth(m, c.audio.wave(), c.threshold, c.start, c.length);
        EXPECT_EQ(mouthValues(m), c.mouth);
        EXPECT_TRUE(m.isModified());  // even where no keyframe lies in the range
        for (int k = 0; k < c.keyframes; ++k)
            for (int col = 0; col < Mouth; ++col) EXPECT_EQ(m.value(k, col), col + 1) << "other columns untouched";
    }
}

TEST(GenerateMouth, ATrackWithoutTheMouthIsLeftAlone) {
    Audio a(5120);
    KeyframeRows rows;
    for (int i = 0; i < 4; ++i) rows.push_back(std::vector<std::int32_t>(13, 1000));
    CMotionTrack legs = makeTrack(MOTION_LEGS, rows);
    generateMouth(legs, a.wave(), 30, 0, 4);
    EXPECT_EQ(legs.value(1, 3), 1000);
    EXPECT_FALSE(legs.isModified());
}
