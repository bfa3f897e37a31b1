// Videos of a performance written through FFmpeg's libraries and read back
// through libavformat: streams, frame count, sound length, sync, the range,
// and that a cancelled or failed export leaves nothing behind.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/track_builder.h"
#include "video/video_export.h"
#include "video/video_probe.h"

namespace rova::video {
namespace {

namespace fs = std::filesystem;

constexpr std::int32_t kDeg = 17454;  // a little over a degree in micro-radians

// A fresh folder per test: what an export leaves there is all there is.
class VideoExport : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::path(::testing::TempDir()) /
              ("video_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        options.width = 160;
        options.height = 120;
    }
    void TearDown() override { fs::remove_all(dir); }

    std::vector<std::string> filesLeft() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
        return names;
    }
    VideoInput input() {
        VideoInput in;
        in.motion = &motion;
        in.leds = &leds;
        in.sound = SoundKind::Wave;
        in.soundData = wave.data();
        in.soundSize = wave.size();
        return in;
    }

    fs::path dir;
    VideoOptions options;
    // 2 s of head motion: still for 12 steps (960 ms), then turned, held to the end.
    CMotionTrack motion = test::makeTrack(MOTION_HEAD, {{0, 0, 0, 0, 0},
                                                         {60, 0, 0, 0, 0},
                                                         {5, 0, 40 * kDeg, 0, 0},
                                                         {60, 0, 40 * kDeg, 0, 0}});
    CLedTrack leds;
    // Silence for 960 ms, then a loud square wave to the end (2 s at 8000 Hz).
    std::vector<std::uint8_t> wave = [] {
        std::vector<std::uint8_t> w(16000, 128);
        for (std::size_t i = 7680; i < w.size(); ++i) w[i] = (i / 8) % 2 ? 250 : 6;
        return w;
    }();
};

TEST_F(VideoExport, Mp4AndWebmHoldTheirStreamsFramesAndSound) {
    const struct {
        const char* name;
        const char* video;
        const char* audio;
    } table[] = {{"show.mp4", "h264", "aac"}, {"show.webm", "vp9", "opus"}};
    for (const auto& row : table) {
        const fs::path out = dir / row.name;
        const VideoResult result = exportVideo(out.string(), input(), options);
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_EQ(result.summary.frames, 50);
        EXPECT_EQ(result.summary.durationMs, 2000);
        EXPECT_EQ(result.summary.video, row.video);
        EXPECT_EQ(result.summary.audio, row.audio);

        const VideoProbe probe = probeVideo(out.string());
        ASSERT_TRUE(probe.opened) << row.name;
        EXPECT_EQ(probe.streamKinds, (std::vector<std::string>{"video", "audio"})) << row.name;
        EXPECT_EQ(probe.videoCodec, row.video);
        EXPECT_EQ(probe.audioCodec, row.audio);
        EXPECT_EQ(probe.width, 160);
        EXPECT_EQ(probe.height, 120);
        EXPECT_NEAR(static_cast<double>(probe.pictures), 50.0, 1.0) << row.name;  // duration × fps
        EXPECT_NEAR(probe.soundSeconds, 2.0, 0.05) << row.name;
        EXPECT_EQ(filesLeft(), std::vector<std::string>{row.name});
        fs::remove(out);
    }
}

TEST_F(VideoExport, TheSoundStartsWithinAFrameOfThePoseThatGoesWithIt) {
    const fs::path out = dir / "sync.mp4";
    ASSERT_TRUE(exportVideo(out.string(), input(), options).ok);
    const VideoProbe probe = probeVideo(out.string());
    ASSERT_EQ(probe.pictureMeans.size(), 50u);
    std::size_t moved = 0;
    while (moved < probe.pictureMeans.size() && std::fabs(probe.pictureMeans[moved] - probe.pictureMeans[0]) < 0.2)
        ++moved;
    // The head turns with step 12, shown from 960 ms on: frame 24 at 25 fps.
    EXPECT_EQ(moved, 24u);
    const double poseMs = static_cast<double>(moved) * 40.0;
    ASSERT_GE(probe.firstLoudMs, 0);
    EXPECT_NEAR(probe.firstLoudMs, poseMs, 40.0);
}

TEST_F(VideoExport, ASelectionIsFilmedForItsOwnLength) {
    options.startStep = 5;
    options.lengthSteps = 10;  // 800 ms
    options.timeline = true;
    const fs::path out = dir / "part.webm";
    const VideoResult result = exportVideo(out.string(), input(), options);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.summary.frames, 20);
    EXPECT_EQ(result.summary.durationMs, 800);
    const VideoProbe probe = probeVideo(out.string());
    EXPECT_NEAR(static_cast<double>(probe.pictures), 20.0, 1.0);
    EXPECT_NEAR(probe.soundSeconds, 0.8, 0.05);
}

TEST_F(VideoExport, WithoutSoundThereIsOnlyAPictureStream) {
    VideoInput silent = input();
    silent.sound = SoundKind::None;
    options.fps = 10;
    const fs::path out = dir / "quiet.mp4";
    const VideoResult result = exportVideo(out.string(), silent, options);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.summary.audio, "");
    const VideoProbe probe = probeVideo(out.string());
    EXPECT_EQ(probe.streamKinds, std::vector<std::string>{"video"});
    EXPECT_NEAR(static_cast<double>(probe.pictures), 20.0, 1.0);
}

TEST_F(VideoExport, ACancelledExportLeavesNothingAndTheEarlierFileAsItWas) {
    const fs::path out = dir / "show.mp4";
    std::ofstream(out) << "earlier";
    int calls = 0;
    const VideoResult result = exportVideo(out.string(), input(), options, [&](std::int64_t done, std::int64_t total) {
        EXPECT_EQ(total, 50);
        EXPECT_EQ(done, ++calls);
        return done < 3;
    });
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(filesLeft(), std::vector<std::string>{"show.mp4"});
    std::ifstream in(out);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "earlier");
}

TEST_F(VideoExport, RefusalsAndFailuresSayWhyAndLeaveNothing) {
    const struct {
        const char* what;
        std::string path;
        int width, height, fps, start, length;
    } table[] = {
        {"a name of another kind", (dir / "show.avi").string(), 160, 120, 25, 0, -1},
        {"an odd width", (dir / "show.mp4").string(), 161, 120, 25, 0, -1},
        {"a size too large", (dir / "show.mp4").string(), 8000, 120, 25, 0, -1},
        {"no frames a second", (dir / "show.mp4").string(), 160, 120, 0, 0, -1},
        {"a start past the end", (dir / "show.mp4").string(), 160, 120, 25, 25, -1},
        {"a range past the end", (dir / "show.mp4").string(), 160, 120, 25, 20, 10},
        {"a folder that is not there", (dir / "missing" / "show.mp4").string(), 160, 120, 25, 0, -1},
    };
    for (const auto& row : table) {
        options.width = row.width;
        options.height = row.height;
        options.fps = row.fps;
        options.startStep = row.start;
        options.lengthSteps = row.length;
        const VideoResult result = exportVideo(row.path, input(), options);
        EXPECT_FALSE(result.ok) << row.what;
        EXPECT_FALSE(result.error.empty()) << row.what;
        EXPECT_TRUE(filesLeft().empty()) << row.what;
    }
    EXPECT_EQ(frameCount(2000, 25), 50);
    EXPECT_EQ(frameCount(2010, 25), 51);
    EXPECT_EQ(frameCount(0, 25), 0);
}

TEST_F(VideoExport, MidiSoundIsRenderedForTheWholeLength) {
    // One note from the start: Note On at tick 0, Note Off at tick 480.
    const std::vector<std::uint8_t> midi = {
        'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k', 0, 0, 0, 13,
        0x00, 0x90, 60, 100, 0x83, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00};
    VideoInput in = input();
    in.sound = SoundKind::Midi;
    in.soundData = midi.data();
    in.soundSize = midi.size();
    const fs::path out = dir / "music.webm";
    const VideoResult result = exportVideo(out.string(), in, options);
    if (!result.ok && result.error.find("SoundFont") != std::string::npos) GTEST_SKIP() << result.error;
    ASSERT_TRUE(result.ok) << result.error;
    const VideoProbe probe = probeVideo(out.string());
    EXPECT_EQ(probe.streamKinds, (std::vector<std::string>{"video", "audio"}));
    EXPECT_NEAR(probe.soundSeconds, 2.0, 0.05);
    EXPECT_GE(probe.firstLoudMs, -1.0);
}

}  // namespace
}  // namespace rova::video
