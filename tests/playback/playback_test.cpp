// The joint stream and the playback loop, driven by a virtual clock.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <numeric>

#include "support/track_builder.h"
#include "playback/playback_fakes.h"

namespace rova::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

constexpr std::int32_t kDeg = 17454;  // a little over one degree: whole degrees survive truncation

TEST(JointStream, Decodes) {
    struct Case {
        const char* name;
        KeyframeRows rows;
        std::vector<std::vector<int>> poses;
    };
    const Case cases[] = {
        {"a 12-tick keyframe gives 2 steps, its 2 extra ticks dropped", {{0, 0, 0}, {12, 2 * kDeg, -4 * kDeg}},
         {{1, -2}, {2, -4}}},
        {"stream degrees truncate the degree value, not value / 17453", {{0, 0, 0}, {5, -17453, -17454}}, {{0, -1}}},
        {"the last step of each segment holds its keyframe", {{0, 0, 0}, {15, 3 * kDeg, 0}, {10, kDeg, 0}},
         {{1, 0}, {2, 0}, {3, 0}, {2, 0}, {1, 0}}},
        {"steps before a late keyframe 0 hold its value", {{10, 5 * kDeg, 9 * kDeg}, {10, 7 * kDeg, 9 * kDeg}},
         {{5, 9}, {5, 9}, {6, 9}, {7, 9}}},
        {"the widest segment does not overflow; degrees keep to 16 bits", {{0, INT32_MIN, 0}, {10, INT32_MAX, 0}},
         {{0, 0}, {123041 - 131072, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CJointStream stream;
        ASSERT_TRUE(stream.decode(makeTrack(MOTION_TAIL, c.rows)));
        std::vector<std::vector<int>> poses;
        for (int i = 0; i < stream.stepCount(); ++i) poses.emplace_back(stream.pose(i), stream.pose(i) + 2);
        EXPECT_EQ(poses, c.poses);
    }
}

TEST(JointStream, SendsOnlyStepsOfTheStream) {
    CJointStream stream;
    stream.decode(makeTrack(MOTION_TAIL, {{0, 0, 0}, {10, 2 * kDeg, 4 * kDeg}}));
    RecordingViewer viewer;
    EXPECT_TRUE(stream.sendStep(viewer, &viewer, 1));
    viewer.changed = 0;
    EXPECT_FALSE(stream.sendStep(viewer, &viewer, 0));
    EXPECT_FALSE(stream.sendStep(viewer, &viewer, 2));
    EXPECT_THAT(viewer.calls, ElementsAre("SetJoints 16 2 2 4", "SetJoints 16 2 1 2"));
}

std::vector<int> range(int from, int to) {
    std::vector<int> v(static_cast<std::size_t>(to - from + 1));
    std::iota(v.begin(), v.end(), from);
    return v;
}

struct Playback : ::testing::Test {
    VirtualHost host;
    RecordingAudio audio{host};
    RecordingViewer api;
    RecordingMessages ui;
    // 40 steps of the tail; step s shows s + 1 degrees.
    CMotionTrack motion = makeTrack(MOTION_TAIL, {{0, 0, 0}, {200, 40 * kDeg, 0}});

    bool play(std::optional<std::string> path, int start, int count, bool viewer = true) {
        return playPerformance(path, motion, start, count, viewer ? &api : nullptr, {audio, api, host, ui});
    }
};

TEST_F(Playback, WaveSelectionPlaysItsRangeWithOnePosePerStep) {
    audio.lengths["/p/A.WAV"] = 3200;
    ASSERT_TRUE(play("/p/A.WAV", 10, 10));
    EXPECT_THAT(audio.plain(), ElementsAre("open \"/p/A.WAV\"", "set \"/p/A.WAV\" time format milliseconds",
                                           "play \"/p/A.WAV\" from 800 to 1600", "close \"/p/A.WAV\""));
    EXPECT_THAT(host.steps(), ElementsAreArray(range(10, 19)));
    for (const auto& [ms, step] : host.poses) EXPECT_EQ(ms, (step - 10) * 80);
    EXPECT_THAT(std::vector<std::string>(api.calls.begin(), api.calls.begin() + 4),
                ElementsAre("SelectJoint -1", "SetJointsVisible 0 18 0", "SetJointsVisible 16 2 1",
                            "SetJoints 16 2 11 0"));
    EXPECT_EQ(host.calls.front(), "showPlayer");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Playback, PlaysToTheEndOfAShorterSoundAndMidiAlike) {
    for (const std::string path : {"/p/A.WAV", "/p/B.MID"}) {
        SCOPED_TRACE(path);
        audio.lengths[path] = 1200;
        audio.commands.clear();
        host.poses.clear();
        ASSERT_TRUE(play(path, 10, 10));
        const std::string d = "\"" + path + "\"";
        EXPECT_THAT(audio.plain(), ElementsAre("open " + d, "set " + d + " time format milliseconds",
                                               "play " + d + " from 800 to 1600", "play " + d + " from 800",
                                               "close " + d));
        EXPECT_THAT(host.steps(), ElementsAreArray(range(10, 14)));  // the sound ends inside step 15
    }
}

TEST_F(Playback, WithoutSoundTheClockEndsAtStartPlusCount) {
    ASSERT_TRUE(play(std::nullopt, 36, 4));
    EXPECT_TRUE(audio.commands.empty());
    EXPECT_THAT(host.steps(), ElementsAre(36, 37, 38, 39));
    EXPECT_EQ(host.now - 1000, 320 + 5);  // step 40 lies beyond the stream: nothing shown, the end
}

TEST_F(Playback, EscStopsAtOnceClosesTheDeviceAndKeepsThePose) {
    audio.lengths["/p/A.WAV"] = 3200;
    host.escapeAt = host.now + 250;
    ASSERT_TRUE(play("/p/A.WAV", 0, 40));
    EXPECT_THAT(host.steps(), ElementsAre(0, 1, 2, 3));
    EXPECT_EQ(audio.plain().back(), "close \"/p/A.WAV\"");
    EXPECT_EQ(api.calls.back(), "SetJoints 16 2 4 0");
    host.escape = false;
    host.escapeAt = host.now + 100;
    host.poses.clear();
    ASSERT_TRUE(play(std::nullopt, 0, 40));
    EXPECT_THAT(host.steps(), ElementsAre(0, 1));
}

TEST_F(Playback, FailuresShowTheirMessageAndCloseWhatWasOpened) {
    struct Case {
        const char* name;
        std::optional<std::string> path;
        std::int64_t length;  // 0: the file does not open
        int playResult;
        std::string_view message;
        bool closed;
    };
    const Case cases[] = {
        {"no sound and no viewer", std::nullopt, 0, 0, kMsgOpenPlayerFirst, false},
        {"the sound does not open", "/p/A.WAV", 0, 0, kMsgCannotOpenSound, false},
        {"the device refuses to play", "/p/A.WAV", 3200, 274, kMsgCannotPlaySound, true},
        {"the range starts beyond the sound", "/p/A.WAV", 500, 0, kMsgCannotPlaySound, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VirtualHost h;
        RecordingAudio a{h};
        RecordingMessages m;
        if (c.length) a.lengths["/p/A.WAV"] = c.length;
        if (c.playResult) a.forced["play"] = c.playResult;
        EXPECT_FALSE(playPerformance(c.path, motion, 10, 10, nullptr, {a, api, h, m}));
        EXPECT_THAT(m.messages, ElementsAre(std::string(c.message)));
        EXPECT_EQ(!a.commands.empty() && a.commands.back() == "close \"/p/A.WAV\"", c.closed);
        EXPECT_EQ(a.device.openCount(), 0u);
    }
}

// A device that reports its position only every 200 ms of sound (coarse), or
// stays at its start during its first stallMs.
struct LaggingAudio : RecordingAudio {
    using RecordingAudio::RecordingAudio;
    bool coarse = false;
    std::int64_t stallMs = 0, playedAt = 0;
    int sendString(std::string_view command, char* reply, int size) override {
        const int r = RecordingAudio::sendString(command, reply, size);
        if (command.rfind("play", 0) == 0) playedAt = host.now;
        if (command.find(" position") != std::string_view::npos && host.now - playedAt >= stallMs && coarse)
            std::snprintf(reply, static_cast<std::size_t>(size), "%d", std::atoi(reply) / 200 * 200);
        if (command.find(" position") != std::string_view::npos && host.now - playedAt < stallMs)
            std::snprintf(reply, static_cast<std::size_t>(size), "%d", 800);
        return r;
    }
};

TEST(PlaybackPacing, PositionsBetweenReportsAreCarriedOnByTheClock) {
    for (const bool coarse : {true, false}) {
        SCOPED_TRACE(coarse ? "coarse positions" : "a device slow to start inside the sound");
        VirtualHost host;
        LaggingAudio audio{host};
        RecordingViewer api;
        RecordingMessages ui;
        audio.lengths["/p/A.WAV"] = 3200;
        audio.coarse = coarse;
        audio.stallMs = coarse ? 0 : 300;
        const int start = coarse ? 0 : 10;
        ASSERT_TRUE(playPerformance(std::string("/p/A.WAV"), makeTrack(MOTION_TAIL, {{0, 0, 0}, {200, 0, 0}}), start,
                                    12, &api, {audio, api, host, ui}));
        EXPECT_THAT(host.steps(), ElementsAreArray(range(start, start + 11)));
        for (const auto& [ms, step] : host.poses) EXPECT_EQ(ms, (step - start) * 80) << step;
    }
}

}  // namespace
}  // namespace rova::test
