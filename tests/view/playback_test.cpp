// The joint stream and the playback loop, driven by a virtual clock.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/track_builder.h"
#include "view/playback_fakes.h"

namespace rova::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

constexpr std::int32_t kDeg = 17454;  // a little over one degree: whole degrees survive truncation

std::vector<std::vector<int>> posesOf(const CJointStream& s) {
    std::vector<std::vector<int>> out;
    for (int i = 0; i < s.stepCount(); ++i) out.emplace_back(s.pose(i), s.pose(i) + s.channelCount());
    return out;
}

TEST(JointStream, Decodes) {
    struct Case {
        const char* name;
        KeyframeRows rows;
        std::vector<std::vector<int>> poses;
    };
    const Case cases[] = {
        {"a 12-tick keyframe gives 2 steps, its 2 extra ticks dropped", {{0, 0, 0}, {12, 2 * kDeg, -4 * kDeg}},
         {{1, -2}, {2, -4}}},
        {"stream degrees truncate the degree value, not value / 17453", {{0, 0, 0}, {5, -17453, -17454}},
         {{0, -1}}},
        {"the last step of each segment holds its keyframe", {{0, 0, 0}, {15, 3 * kDeg, 0}, {10, kDeg, 0}},
         {{1, 0}, {2, 0}, {3, 0}, {2, 0}, {1, 0}}},
        {"steps before a late keyframe 0 hold its value", {{10, 5 * kDeg, 9 * kDeg}, {10, 7 * kDeg, 9 * kDeg}},
         {{5, 9}, {5, 9}, {6, 9}, {7, 9}}},
        {"a keyframe of no steps is passed over", {{0, 0, 0}, {3, 50 * kDeg, 0}, {5, 2 * kDeg, 0}}, {{2, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CJointStream stream;
        ASSERT_TRUE(stream.decode(makeTrack(MOTION_TAIL, c.rows)));
        EXPECT_EQ(stream.firstChannel(), 16);
        EXPECT_EQ(stream.channelCount(), 2);
        EXPECT_EQ(posesOf(stream), c.poses);
    }
    // The widest segment interpolates without overflow; whole degrees keep to 16 bits.
    CJointStream wide;
    wide.decode(makeTrack(MOTION_TAIL, {{0, INT32_MIN, 0}, {10, INT32_MAX, 0}}));
    EXPECT_EQ(wide.pose(0)[0], 0);
    EXPECT_EQ(wide.pose(1)[0], 123041 - 131072);
    CJointStream none;
    EXPECT_FALSE(none.decode(CMotionTrack{}));
    EXPECT_EQ(none.stepCount(), 0);
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

// A tail motion of 40 steps whose step s shows s + 1 degrees.
CMotionTrack ramp() { return makeTrack(MOTION_TAIL, {{0, 0, 0}, {200, 40 * kDeg, 0}}); }

std::vector<int> range(int from, int to) {
    std::vector<int> v;
    for (int i = from; i <= to; ++i) v.push_back(i);
    return v;
}

struct Playback : ::testing::Test {
    VirtualHost host;
    RecordingAudio audio{host};
    RecordingViewer api;
    RecordingMessages ui;
    CMotionTrack motion = ramp();

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
    // Each pose at its step's time since the sound started.
    for (const auto& [ms, step] : host.poses) EXPECT_EQ(ms, (step - 10) * 80);
    EXPECT_THAT(std::vector<std::string>(api.calls.begin(), api.calls.begin() + 4),
                ElementsAre("SelectJoint -1", "SetJointsVisible 0 18 0", "SetJointsVisible 16 2 1",
                            "SetJoints 16 2 11 0"));
    EXPECT_EQ(api.calls.back(), "SetJoints 16 2 20 0");
    EXPECT_EQ(host.calls.front(), "showPlayer");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(audio.device.openCount(), 0u);
}

TEST_F(Playback, RangeBeyondTheSoundPlaysToItsEnd) {
    audio.lengths["/p/A.WAV"] = 1200;
    ASSERT_TRUE(play("/p/A.WAV", 10, 10));
    EXPECT_THAT(audio.plain(), ElementsAre("open \"/p/A.WAV\"", "set \"/p/A.WAV\" time format milliseconds",
                                           "play \"/p/A.WAV\" from 800 to 1600", "play \"/p/A.WAV\" from 800",
                                           "close \"/p/A.WAV\""));
    // The sound ends at 1200 ms, inside step 15.
    EXPECT_THAT(host.steps(), ElementsAreArray(range(10, 14)));
}

TEST_F(Playback, MidiPlaysThroughTheSameCommands) {
    audio.lengths["/p/B.MID"] = 640;
    ASSERT_TRUE(play("/p/B.MID", 0, 8));
    EXPECT_THAT(audio.plain(), ElementsAre("open \"/p/B.MID\"", "set \"/p/B.MID\" time format milliseconds",
                                           "play \"/p/B.MID\" from 0 to 640", "close \"/p/B.MID\""));
    EXPECT_THAT(host.steps(), ElementsAreArray(range(0, 7)));
}

TEST_F(Playback, SoundWithoutViewerPlaysByTheDevice) {
    audio.lengths["/p/A.WAV"] = 3200;
    const std::int64_t begin = host.now;
    ASSERT_TRUE(play("/p/A.WAV", 0, 5, false));
    EXPECT_TRUE(api.calls.empty());
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(host.now - begin, 400 + 5);  // the sound's 400 ms and the settling pause
    EXPECT_EQ(audio.plain().back(), "close \"/p/A.WAV\"");
}

TEST_F(Playback, WithoutSoundTheClockEndsAtStartPlusCount) {
    ASSERT_TRUE(play(std::nullopt, 36, 4));
    EXPECT_TRUE(audio.commands.empty());
    EXPECT_THAT(host.steps(), ElementsAre(36, 37, 38, 39));
    EXPECT_EQ(api.calls.back(), "SetJoints 16 2 40 0");
    // Step 40 lies beyond the stream: nothing is sent, and the clock ends there.
    EXPECT_EQ(host.now - 1000, 320 + 5);
}

TEST_F(Playback, EscStopsAtOnceClosesTheDeviceAndKeepsThePose) {
    audio.lengths["/p/A.WAV"] = 3200;
    host.escapeAt = host.now + 250;
    ASSERT_TRUE(play("/p/A.WAV", 0, 40));
    EXPECT_THAT(host.steps(), ElementsAre(0, 1, 2, 3));
    EXPECT_EQ(audio.plain().back(), "close \"/p/A.WAV\"");
    EXPECT_EQ(audio.device.openCount(), 0u);
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
        bool viewer;
        std::int64_t length;  // 0: the file does not open
        std::map<std::string, int> forced;
        std::vector<std::string> messages;
        std::vector<std::string> commands;
    };
    const std::string dev = "\"/p/A.WAV\"";
    const Case cases[] = {
        {"no sound and no viewer", std::nullopt, false, 0, {}, {std::string(kMsgOpenPlayerFirst)}, {}},
        {"the sound does not open", "/p/A.WAV", true, 0, {}, {std::string(kMsgCannotOpenSound)},
         {"open " + dev}},
        {"the device refuses to play", "/p/A.WAV", true, 3200, {{"play", 274}},
         {std::string(kMsgCannotPlaySound)},
         {"open " + dev, "set " + dev + " time format milliseconds", "play " + dev + " from 800 to 1600",
          "close " + dev}},
        {"the range starts beyond the sound", "/p/A.WAV", false, 500, {}, {std::string(kMsgCannotPlaySound)},
         {"open " + dev, "set " + dev + " time format milliseconds", "play " + dev + " from 800 to 1600",
          "play " + dev + " from 800", "close " + dev}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VirtualHost h;
        RecordingAudio a{h};
        RecordingViewer v;
        RecordingMessages m;
        if (c.length) a.lengths["/p/A.WAV"] = c.length;
        a.forced = c.forced;
        EXPECT_FALSE(playPerformance(c.path, motion, 10, 10, c.viewer ? &v : nullptr, {a, v, h, m}));
        EXPECT_EQ(m.messages, c.messages);
        EXPECT_EQ(a.commands, c.commands);
        EXPECT_EQ(a.device.openCount(), 0u);
        EXPECT_TRUE(h.poses.size() <= 1);  // at most the first pose
    }
}

// A device that reports its position only every 200 ms of sound (coarse), or
// not at all during its first stallMs.
struct CoarseAudio : RecordingAudio {
    using RecordingAudio::RecordingAudio;
    bool coarse = false;
    std::int64_t stallMs = 0;
    std::int64_t playedAt = 0;
    int from = 0;
    int sendString(std::string_view command, char* reply, int size) override {
        const int r = RecordingAudio::sendString(command, reply, size);
        if (command.rfind("play", 0) == 0) {
            playedAt = host.now;
            from = std::atoi(command.data() + command.find(" from ") + 6);
        }
        if (command.find(" position") != std::string_view::npos && r == 0) {
            const int truth = std::atoi(reply);
            const int pos = host.now - playedAt < stallMs ? from : coarse ? truth / 200 * 200 : truth;
            std::snprintf(reply, static_cast<std::size_t>(size), "%d", std::max(pos, from));
        }
        return r;
    }
};

TEST(PlaybackPacing, PositionsBetweenReportsAreCarriedOnByTheClock) {
    struct Case {
        const char* name;
        int start;
        bool coarse;
        std::int64_t stallMs;
    };
    const Case cases[] = {
        {"coarse positions", 0, true, 0},
        {"a device slow to start, from the beginning", 0, false, 300},
        {"a device slow to start, inside the sound", 10, false, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VirtualHost host;
        CoarseAudio audio{host};
        RecordingViewer api;
        RecordingMessages ui;
        audio.lengths["/p/A.WAV"] = 3200;
        audio.coarse = c.coarse;
        audio.stallMs = c.stallMs;
        ASSERT_TRUE(playPerformance(std::string("/p/A.WAV"), ramp(), c.start, 12, &api, {audio, api, host, ui}));
        EXPECT_THAT(host.steps(), ElementsAreArray(range(c.start, c.start + 11)));
        for (const auto& [ms, step] : host.poses) EXPECT_EQ(ms, (step - c.start) * 80) << step;
    }
}

}  // namespace
}  // namespace rova::test
