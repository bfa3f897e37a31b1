// The eye lights go with the poses of a playback, at each pose's time.
#include <gtest/gtest.h>

#include <vector>

#include "playback/playback.h"
#include "playback/playback_fakes.h"
#include "support/track_builder.h"

namespace rova::test {
namespace {

constexpr std::int32_t kDeg = 17454;

struct EyesViewer : RecordingViewer {
    std::vector<int> eyes;
    int SetEyes(void*, int state) override {
        eyes.push_back(state);
        return 0;
    }
};

TEST(PlaybackEyes, EachPoseShowsTheLedStateAtItsTimeAndOnlyChangesAreSent) {
    VirtualHost host;
    RecordingAudio audio{host};
    EyesViewer api;
    RecordingMessages ui;
    const CMotionTrack motion = makeTrack(MOTION_TAIL, {{0, 0, 0}, {200, 40 * kDeg, 0}});
    CLedTrack leds;
    // LED steps of 1/12 s: green, green, red, red, both, then dark.
    leds.steps = {1, 1, 2, 2, 3};
    PlaybackOptions options;
    options.leds = &leds;
    ASSERT_TRUE(playPerformance(std::nullopt, motion, 0, 8, &api, {audio, api, host, ui}, options));
    // Poses at 0, 80, 160, 240, 320, 400 ... ms: LED steps 0, 0, 1, 2, 3, 4, 5, 6.
    EXPECT_EQ(api.eyes, (std::vector<int>{1, 2, 3, 0}));
}

TEST(PlaybackEyes, WithoutAnLedTrackTheEyesStayDark) {
    VirtualHost host;
    RecordingAudio audio{host};
    EyesViewer api;
    RecordingMessages ui;
    const CMotionTrack motion = makeTrack(MOTION_TAIL, {{0, 0, 0}, {200, 40 * kDeg, 0}});
    ASSERT_TRUE(playPerformance(std::nullopt, motion, 0, 4, &api, {audio, api, host, ui}));
    EXPECT_EQ(api.eyes, (std::vector<int>{0}));
}

}  // namespace
}  // namespace rova::test
