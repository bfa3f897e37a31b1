// Loop and offset of the playback, and the steps it tells the playhead,
// on the virtual clock.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/track_builder.h"
#include "playback/playback_fakes.h"

namespace rova::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

using Poses = std::vector<std::pair<std::int64_t, int>>;

// Notes when the sound was started.
struct TimedAudio : RecordingAudio {
    using RecordingAudio::RecordingAudio;
    std::int64_t playedAt = -1;
    int sendString(std::string_view command, char* reply, int size) override {
        if (command.rfind("play", 0) == 0 && playedAt < 0) playedAt = host.now;
        return RecordingAudio::sendString(command, reply, size);
    }
};

// [ms, step] of poses due every 80 ms from firstMs, steps cycling through [start, start + count).
Poses schedule(std::int64_t firstMs, int start, int count, int poses, int fromPose = 0) {
    Poses out;
    for (int g = fromPose; g < fromPose + poses; ++g) out.emplace_back(firstMs + g * 80, start + g % count);
    return out;
}

struct LoopOffset : ::testing::Test {
    VirtualHost host;
    RecordingAudio audio{host};
    RecordingViewer api;
    RecordingMessages ui;
    // 40 steps of the tail.
    CMotionTrack motion = makeTrack(MOTION_TAIL, {{0, 0, 0}, {200, 40 * 17454, 0}});

    bool play(std::optional<std::string> path, int start, int count, PlaybackOptions options, bool viewer = true) {
        host.escapeAt = host.escapeAt >= 0 ? host.now + host.escapeAt : -1;
        return playPerformance(path, motion, start, count, viewer ? &api : nullptr, {audio, api, host, ui}, options);
    }
    std::vector<std::string> plays() const {
        std::vector<std::string> out;
        for (const auto& c : audio.commands)
            if (c.rfind("play", 0) == 0) out.push_back(c);
        return out;
    }
};

TEST_F(LoopOffset, OffsetsShiftEveryPoseOnTheSoundClock) {
    struct Case {
        const char* name;
        int offset;
        Poses poses;
    };
    const Case cases[] = {
        {"no offset", 0, schedule(0, 10, 10, 10)},
        // The last poses go out after the sound has stopped, as a late device plays it.
        {"+100 ms", 100, schedule(100, 10, 10, 10)},
        // Four poses before the sound starts; the pose due at -10 ms is the last of them.
        {"-250 ms", -250, schedule(-250, 10, 10, 10)},
        {"offsets beyond 500 ms are held to it", -900, schedule(-500, 10, 10, 10)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VirtualHost h;
        TimedAudio a{h};
        a.lengths["/p/A.WAV"] = 3200;
        const std::int64_t began = h.now;
        ASSERT_TRUE(playPerformance(std::string("/p/A.WAV"), motion, 10, 10, &api, {a, api, h, ui}, {false, c.offset}));
        EXPECT_EQ(h.poses, c.poses);
        EXPECT_THAT(h.shown, ElementsAreArray(h.steps()));
        EXPECT_THAT(a.plain(), ElementsAre("open \"/p/A.WAV\"", "set \"/p/A.WAV\" time format milliseconds",
                                           "play \"/p/A.WAV\" from 800 to 1600", "close \"/p/A.WAV\""));
        // The sound starts after the poses that come before it.
        EXPECT_EQ(a.playedAt - began, std::max(0, -std::max(c.offset, -500)));
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LoopOffset, WithoutSoundTheOffsetIsNotUsed) {
    ASSERT_TRUE(play(std::nullopt, 36, 4, {false, -250}));
    EXPECT_EQ(host.poses, schedule(0, 36, 4, 4));
}

TEST_F(LoopOffset, LoopStartsTheSelectionAgainWithTheSoundUntilEsc) {
    struct Case {
        const char* name;
        int offset;
        std::int64_t escAt;
        Poses poses;
        int plays;
    };
    const Case cases[] = {
        {"three passes, Esc in the third", 0, 580, schedule(0, 10, 3, 8), 3},
        // The last pose of each pass goes out while the next pass's sound plays.
        {"+100 ms", 100, 580, schedule(100, 10, 3, 7), 3},
        // The first poses of the next pass go out before its sound starts again.
        {"-100 ms", -100, 480, schedule(-100, 10, 3, 8), 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VirtualHost h;
        RecordingAudio a{h};
        a.lengths["/p/A.WAV"] = 3200;
        h.escapeAt = h.now + std::max(0, -c.offset) + c.escAt;
        ASSERT_TRUE(playPerformance(std::string("/p/A.WAV"), motion, 10, 3, &api, {a, api, h, ui}, {true, c.offset}));
        EXPECT_EQ(h.poses, c.poses);
        std::vector<std::string> p(static_cast<std::size_t>(c.plays), "play \"/p/A.WAV\" from 800 to 1040");
        std::vector<std::string> expected = {"open \"/p/A.WAV\"", "set \"/p/A.WAV\" time format milliseconds"};
        expected.insert(expected.end(), p.begin(), p.end());
        expected.push_back("close \"/p/A.WAV\"");
        EXPECT_EQ(a.plain(), expected);
    }
}

TEST_F(LoopOffset, LoopOfASelectionPastTheSoundPlaysToItsEndEachTime) {
    audio.lengths["/p/A.WAV"] = 1000;  // steps 10 to 12 of 10..13 have sound
    host.escapeAt = 600;
    ASSERT_TRUE(play("/p/A.WAV", 10, 4, {true, 100}));
    // The range runs past the sound: each pass plays what there is, and the
    // play that worked is the one repeated.
    EXPECT_THAT(plays(), ElementsAre("play \"/p/A.WAV\" from 800 to 1120", "play \"/p/A.WAV\" from 800",
                                     "play \"/p/A.WAV\" from 800", "play \"/p/A.WAV\" from 800"));
    // Step 13 lies beyond the sound: each pass shows 10 to 12.
    EXPECT_THAT(host.steps(), ElementsAre(10, 11, 12, 10, 11, 12, 10, 11));
}

TEST_F(LoopOffset, LateWakesDoNotPutTheLoopedPosesOfASelectionPastTheSoundEarly) {
    // Steps 10 to 12 of 10..13 have sound, three whole steps. The loop sees the
    // sound stopped only after its end; the pass still lasts three steps.
    audio.lengths["/p/A.WAV"] = 1040;
    host.lateMs = 7;
    host.escapeAt = 1200;
    ASSERT_TRUE(play("/p/A.WAV", 10, 4, {true, 300}));
    ASSERT_GE(host.poses.size(), 8u);
    for (std::size_t g = 0; g < host.poses.size(); ++g) {
        SCOPED_TRACE(g);
        EXPECT_EQ(host.poses[g].second, 10 + static_cast<int>(g % 3));
        EXPECT_GE(host.poses[g].first, 300 + 80 * static_cast<std::int64_t>(g));
    }
}

TEST_F(LoopOffset, LoopWithoutSoundWrapsByTheClockAndEscStopsIt) {
    host.escapeAt = 700;
    ASSERT_TRUE(play(std::nullopt, 36, 4, {true, 0}));
    EXPECT_EQ(host.poses, schedule(0, 36, 4, 9));
    EXPECT_EQ(api.calls.back(), "SetJoints 16 2 37 0");  // the model keeps the pose of step 36
}

TEST_F(LoopOffset, EscBeforeTheSoundStartsPlaysNothing) {
    audio.lengths["/p/A.WAV"] = 3200;
    host.escapeAt = 100;
    ASSERT_TRUE(play("/p/A.WAV", 10, 10, {false, -400}));
    EXPECT_THAT(audio.plain(), ElementsAre("open \"/p/A.WAV\"", "close \"/p/A.WAV\""));
    EXPECT_THAT(host.steps(), ElementsAre(10, 11));
}

TEST_F(LoopOffset, ThePlayheadFollowsWithThePlayerClosed) {
    audio.lengths["/p/A.WAV"] = 3200;
    ASSERT_TRUE(play("/p/A.WAV", 5, 3, {}, false));
    EXPECT_TRUE(host.poses.empty());
    EXPECT_THAT(host.shown, ElementsAre(5, 6, 7));
}

}  // namespace
}  // namespace rova::test
